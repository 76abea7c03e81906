#pragma once
// The meteogram window: the chart of the chosen place over the current run, a note on the
// maps still coming, the values of the step under the pointer and a save button. Maps the
// cache lacks are fetched in the background; closing the window stops that.
#include "forecast/meteogram.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class MapBatch;
class MeteogramChart;
class RetrievalService;

class MeteogramWindow : public QWidget {
    Q_OBJECT
public:
    // A tool window of `owner`.
    MeteogramWindow(RetrievalService &service, QWidget *owner);
    ~MeteogramWindow() override;

    // Steps 0..lastStep at this place. A new place or last step reads them anew; the same
    // ones read again only what changed and fetch again what is still missing.
    void showPlace(const PanelInputs &place, int lastStep);
    void setSelectedStep(int step);
    // The chart as a PNG file; false (and the note says so) when it cannot be written.
    bool saveTo(const QString &path);

    int coming() const { return m_coming; }  // maps still on their way
    const MeteogramSeries &series() const { return m_series; }
    MeteogramChart *chart() const { return m_chart; }

Q_SIGNALS:
    void stepChosen(int step);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fetchMissing();
    void stopFetching();
    void followClock(int lastStep);
    void showSeries();
    void showNote();
    void showReadout(int step);
    void askSave();

    RetrievalService &m_service;
    MeteogramSeries m_series;
    QVector<QDateTime> m_times;  // valid times of the steps
    QPointer<MapBatch> m_batch;
    QVector<MapNeed> m_needs;    // the batch's maps, in its order
    int m_coming = 0;
    bool m_started = false;
    QString m_saveNote;          // what the last save did, until the next change

    MeteogramChart *m_chart;
    QLabel *m_readout;
    QLabel *m_note;
    QPushButton *m_saveButton;
};
