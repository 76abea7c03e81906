// Map pictures that would take more memory than a map can need never reach the decoder.
#include "shell/imageloader.h"

#include <QtTest>

namespace {

QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + char(v >> 8); }

// A GIF whose screen is width x height and whose one frame is frameWidth x frameHeight.
QByteArray gifDeclaring(int width, int height, int frameWidth, int frameHeight)
{
    QByteArray gif("GIF89a");
    gif += le16(width) + le16(height) + QByteArray("\x80\x00\x00", 3);  // 2-entry colour table
    gif += QByteArray("\x00\x00\x00\xff\xff\xff", 6);
    gif += QByteArray(",") + le16(0) + le16(0) + le16(frameWidth) + le16(frameHeight) + QByteArray(1, '\0');
    gif += QByteArray("\x02\x02\x44\x01\x00;", 6);
    return gif;
}

} // namespace

class TstImageLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Pictures declaring more pixels than a map could need are refused before any allocation.
    void oversizedPicture_data()
    {
        QTest::addColumn<QByteArray>("gif");
        QTest::newRow("8000 x 8000") << gifDeclaring(8000, 8000, 8000, 8000);
        // Found by fuzzing: Qt reports the frame's size, then decodes the whole screen.
        QTest::newRow("screen taller than its empty frame") << gifDeclaring(1, 28675, 0, 0);
        QTest::newRow("screen wider than its small frame") << gifDeclaring(9000, 10, 1, 1);
    }
    void oversizedPicture()
    {
        QFETCH(QByteArray, gif);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("temp0.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(gif) == gif.size());
        file.close();
        const LoadedPicture loaded = LoadPictureFile(path);
        QCOMPARE(loaded.error, 0);
        QVERIFY(loaded.picture.isNull());
    }
};

QTEST_MAIN(TstImageLoader)
#include "tst_imageloader.moc"
