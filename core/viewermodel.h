#pragma once
// What the viewer shows, without a window: the mode, the map chosen, the view of it, the
// place of the point forecast and what is under way. The window reads it, asks it to
// change and redraws when it says something changed.
#include "core/mapselection.h"

#include <QDate>
#include <QObject>
#include <QPointF>
#include <QSize>
#include <QString>

class ViewerModel : public QObject {
    Q_OBJECT
public:
    enum class Mode { CurrentRun, Archive };
    enum class DownloadAll { Idle, Running, Stopping };

    static constexpr float MinZoom = 1.0f;
    static constexpr float MaxZoom = 8.0f;
    static constexpr float PanStep = 1000.0f;      // twips of the unzoomed map
    static constexpr float HomeOffsetX = -2900.0f;  // the map's corner left of the box
    static constexpr float HomeOffsetY = -3060.0f;
    static constexpr int DefaultMaxStep = 30;
    static constexpr int LastMaxStep = 64;          // 384 h, as far as the model runs
    static constexpr int FirstArchiveYear = 1956;
    static constexpr int LastArchiveYear = 2005;

    explicit ViewerModel(QObject *parent = nullptr);

    // --- the map chosen ---
    Mode mode() const { return m_mode; }
    bool archive() const { return m_mode == Mode::Archive; }
    void setMode(Mode mode);
    int kind() const { return m_kind; }     // 1..7, as in the catalogue
    void setKind(int number);               // outside 1..7: ignored
    int step() const { return m_step; }
    void setStep(int step);                 // kept within 0..maxStep
    int maxStep() const { return m_maxStep; }
    void setMaxStep(int step);              // 1..LastMaxStep; the step follows a maximum set below it
    ArchiveLevel archiveLevel() const { return m_level; }
    void setArchiveLevel(ArchiveLevel level);
    // The archive date is always a day that exists: an impossible one (31 February, day 0)
    // is refused with archiveDateRefused() and the date stays.
    QDate archiveDate() const { return m_date; }
    int archiveYear() const { return m_date.year(); }
    int archiveMonth() const { return m_date.month(); }
    int archiveDay() const { return m_date.day(); }
    bool setArchiveDate(int year, int month, int day);
    void setArchiveYear(int year);
    void setArchiveMonth(int month);
    void setArchiveDay(int day);
    // Day of the archive year, 1 is 1 January; kept within the year.
    int archiveDayOfYear() const { return m_date.dayOfYear(); }
    void setArchiveDayOfYear(int day);
    MapSelection selection() const;

    // --- the view: offsets in unzoomed twips (15 to a pixel) of the map's corner from the
    // area's. Panning stops where half of the area still shows map, once both sizes are known.
    float zoom() const { return m_zoom; }
    float offsetX() const { return m_offsetX; }
    float offsetY() const { return m_offsetY; }
    void setViewSize(QSize pixels);  // the map area
    QSize viewSize() const { return m_viewSize; }
    void setMapSize(QSize pixels);   // the picture shown, at x1
    // The next zoom level in or out (x1, x2, x4, x8) about the centre of the area.
    void zoomIn();
    void zoomOut();
    // steps levels in (positive) or out, the map point under `pixel` staying under it.
    void zoomAt(int steps, QPointF pixel);
    void pan(float dx, float dy);    // twips of the unzoomed map
    void panBy(QPointF pixels);      // the map follows a drag
    void fitView();                  // the whole picture in the area, centred
    void homeView();                 // x1 at the start position
    // "x2", or the percentage of a fitted view that is no zoom level ("62 %").
    QString zoomText() const;

    // --- the place of the point forecast, in both map frames ---
    float placeX() const { return m_placeX; }
    float placeY() const { return m_placeY; }
    float placeX2() const { return m_placeX2; }
    float placeY2() const { return m_placeY2; }
    void setPlace(float x, float y, float x2, float y2);
    // The place on the map of the chosen kind: the wind and storm maps have their own frame.
    QPointF placeOnMap() const;

    // --- what runs ---
    bool animating() const { return m_animating; }
    void setAnimating(bool on);
    // One step on (back to 0 after the last), or one archive day on (on to the next year
    // after the last day, never reaching the newest year). A map on its way holds it back.
    void animationTick();
    bool loading() const { return m_loading; }  // the map shown is on its way
    void setLoading(bool loading);
    DownloadAll downloadAll() const { return m_downloadAll; }
    void setDownloadAll(DownloadAll state);

    // --- preferences ---
    bool lowBandwidth() const { return m_lowBandwidth; }
    void setLowBandwidth(bool on);
    bool valueBox() const { return m_valueBox; }  // the box that reads the map under the pointer
    void setValueBox(bool on);
    // The language in force, by the name --language takes; empty until one is.
    QString language() const { return m_language; }
    void setLanguage(const QString &name);

Q_SIGNALS:
    void selectionChanged();  // mode, kind, step, archive level or date
    void modeChanged(ViewerModel::Mode mode);
    void stepChanged(int step);
    void maxStepChanged(int step);
    void archiveDateChanged();
    void archiveDateRefused(int year, int month, int day);
    void viewChanged();       // zoom or offsets
    void placeChanged();
    void animatingChanged(bool on);
    void loadingChanged(bool loading);
    void downloadAllChanged(ViewerModel::DownloadAll state);
    void lowBandwidthChanged(bool on);
    void valueBoxChanged(bool on);
    void languageChanged(const QString &name);  // every text shown is to be written anew

private:
    // Stores a new value; false when it was already there, so nothing is announced.
    template <class T>
    static bool replace(T &member, T value)
    {
        if (member == value)
            return false;
        member = value;
        return true;
    }
    void setView(float zoom, float offsetX, float offsetY);
    float boundOffset(float offset, float zoom, int viewPixels, int mapPixels) const;

    Mode m_mode = Mode::CurrentRun;
    int m_kind = 1;
    int m_step = 0;
    int m_maxStep = DefaultMaxStep;
    ArchiveLevel m_level = ArchiveLevel::P500;
    QDate m_date{LastArchiveYear - 1, 1, 1};  // the newest year is never complete
    float m_zoom = MinZoom;
    float m_offsetX = HomeOffsetX;
    float m_offsetY = HomeOffsetY;
    QSize m_viewSize;
    QSize m_mapSize;
    float m_placeX = 0, m_placeY = 0, m_placeX2 = 0, m_placeY2 = 0;
    bool m_animating = false;
    bool m_loading = false;
    DownloadAll m_downloadAll = DownloadAll::Idle;
    bool m_lowBandwidth = false;
    bool m_valueBox = true;
    QString m_language;
};
