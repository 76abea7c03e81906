// RefreshPicture: loads the selected map when it changed and paints it, with the place
// marker and the legend strip.
#include "viewer/mapdisplay.h"
#include "viewer/displaytext.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "retrieval/retrievalservice.h"
#include "shell/imageloader.h"
#include "shell/textutil.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

namespace {

constexpr double OuterMarkerHalf = 30;
constexpr double InnerMarkerHalf = 15;
// Where the legend strip starts on the maps, in twips of the image.
constexpr double LegendTop = 2060;
constexpr double ForecastLegendLeft = 12050;
constexpr double ArchiveLegendLeft = 12500;

// Without a map, nothing of the last one may stay under the new caption.
void showMissingMap(Form1 &form, bool missing)
{
    QLabel *label = form.Label36;
    if (missing) {
        label->setText(QStringLiteral("Pas d'image!"));
        label->setAlignment(Qt::AlignCenter);
        label->adjustSize();
        QRect place = label->geometry();
        place.moveCenter(form.Picture1->geometry().center());
        label->setGeometry(place);
        label->raise();
    }
    label->setVisible(missing);
}

// Black first: a pan would otherwise leave pieces of the last picture that the readout
// would decode as weather.
void paintMap(Form1 &form, const QImage &map)
{
    form.Picture1->clearCanvas();
    if (!map.isNull())
        form.Picture1->paintPicture(map, mapRectPixels(form.OffsetX, form.OffsetY, form.Zoom, map.size()));
}

void drawPlaceMarker(Form1 &form)
{
    // The wind and storm maps have their own frame.
    const bool domain2 = form.Option5->isChecked() || form.Option7->isChecked();
    const double x = (form.OffsetX + (domain2 ? form.PlaceX2 : form.PlaceX)) * form.Zoom;
    const double y = (form.OffsetY + (domain2 ? form.PlaceY2 : form.PlaceY)) * form.Zoom;
    form.Picture1->drawRectOutline(squarePixels(x, y, OuterMarkerHalf), Qt::blue);
    form.Picture1->drawRectOutline(squarePixels(x, y, InnerMarkerHalf), Qt::red);
}

void paintLegendStrip(Form1 &form, const QImage &map, bool archive)
{
    PictureBox *strip = form.Picture5;
    strip->clearCanvas();
    if (!map.isNull())
        strip->paintPictureRegion(map, QPoint(0, 0), QRect(legendOrigin(archive), strip->size()));
}

} // namespace

int twipsToPixel(double twips)
{
    // Far outside any picture, NaN included: one safe value instead of an overflow.
    const double pixel = std::floor(twips / TwipsPerPixel);
    return std::abs(pixel) < 1.0e9 ? int(pixel) : -1000000000;
}

QRect mapRectPixels(float offsetX, float offsetY, float zoom, QSize imageSize)
{
    // The size comes from the image alone, so the stretch is exactly the zoom. The corner
    // rounds up: then the pixel under the pointer is the map pixel a click there chooses.
    const auto corner = [](double twips) { return int(std::ceil(twips / TwipsPerPixel)); };
    return QRect(corner(double(offsetX) * zoom), corner(double(offsetY) * zoom),
                 int(std::lround(imageSize.width() * double(zoom))),
                 int(std::lround(imageSize.height() * double(zoom))));
}

QRect squarePixels(double centreX, double centreY, double halfSide)
{
    return QRect(QPoint(twipsToPixel(centreX - halfSide), twipsToPixel(centreY - halfSide)),
                 QPoint(twipsToPixel(centreX + halfSide), twipsToPixel(centreY + halfSide)));
}

QPoint legendOrigin(bool archive)
{
    return QPoint(twipsToPixel(archive ? ArchiveLegendLeft : ForecastLegendLeft), twipsToPixel(LegendTop));
}

int dateListNumber(const QString &text)
{
    const double value = parseLenient(text);
    if (std::isnan(value))
        return 0;
    return int(roundHalfEven(qBound(-2147483648.0, value, 2147483647.0)));
}

MapSelection readSelection(const Form1 &form)
{
    MapSelection selection;
    selection.archive = form.Option9->isChecked();
    selection.kindNumber = selectedKind([&form](const char *optionName) {
        const auto *option = form.findChild<const QRadioButton *>(QLatin1String(optionName));
        return option && option->isChecked();
    }).number;
    selection.step = form.HScroll1->value();
    selection.level = form.Option11->isChecked() ? ArchiveLevel::P850 : ArchiveLevel::P500;
    selection.year = dateListNumber(form.Combo1->currentText());
    selection.month = dateListNumber(form.Combo2->currentText());
    selection.day = dateListNumber(form.Combo3->currentText());
    return selection;
}

void Form1::RefreshPicture()
{
    const int call = ++refreshCount;
    EventLog &log = Service->log();
    log.AddLog(QStringLiteral("Refresh Picture"));

    const MapSelection selection = readSelection(*this);
    const bool current = !selection.archive;
    const QString name = selectionCacheName(selection);
    const QString path = Service->cachePath(name);
    if (current) {
        setWindowTitle(runCaption(QDateTime::currentDateTime()));
        log.AddLog(QStringLiteral("Fichier à afficher ") + name);
    } else {
        setWindowTitle(archiveCaption(rollDate(selection.year, selection.month, selection.day)));
    }

    // Fetches let events run: when another call starts meanwhile, it shows the newer
    // selection and this one must not paint over it.
    const auto fetch = [&]() {
        if (current)
            Service->GetNewModeles(selection.step, selection.kindNumber);
        else if (selection.level == ArchiveLevel::P850)
            GetArchive850(selection.year, selection.day, selection.month);
        else
            GetArchive500(selection.year, selection.day, selection.month);
        return refreshCount == call;
    };

    if (name != OldLoaded) {
        if (!QFileInfo(path).isFile()) {
            log.AddLog(QStringLiteral("Image ") + name + QStringLiteral(" manquant. Cherche à la télécharger"));
            if (!fetch())
                return;
        }
        if (current)
            log.AddLog(QStringLiteral("Essaye d'afficher : ") + name);
        const LoadedPicture loaded = LoadPictureFile(path);
        Picture3->setPicture(loaded.picture);
        OldLoaded.clear();  // Picture3 no longer holds the map of that name
        if (current)
            log.AddLog(QStringLiteral("Fin d'essai"));

        if (loaded.error != 0 && !OK) {
            if (current) {
                log.AddLog(QStringLiteral("erreur ") + QString::number(loaded.error));
                log.AddLog(QStringLiteral("Téléchargement de l'image ") + name);
            }
            OK = true;
            if (!fetch()) {
                OK = false;
                return;
            }
            const int retry = refreshCount + 1;
            RefreshPicture();  // the one retry: it loads and paints; this call then ends as usual
            if (refreshCount != retry)
                return;  // a newer selection took over during the retry's fetch
        } else if (loaded.error != 0 && current) {
            log.AddLog(QStringLiteral(" Pas d'image !"));
        }
        OK = false;
        OldLoaded = name;  // also after a failure: the same name is not tried again
        if (current)
            log.AddLog(QStringLiteral("Fin Oldloaded"));
    }

    const QImage map = Picture3->picture();
    // The value box read the picture as it was: a redrawn map makes its text stale.
    Label34->hide();
    showMissingMap(*this, map.isNull());
    paintMap(*this, map);
    if (current)
        drawPlaceMarker(*this);
    paintLegendStrip(*this, map, selection.archive);
}
