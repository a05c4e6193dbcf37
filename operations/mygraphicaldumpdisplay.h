#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>
#include <QWidget>

#include "trackreportparser.h"

class QPainter;
class QPaintEvent;

// The track map: one state per track (cylinder * 2 + head, 0 to 179) of a
// dump, restore or unformat run, painted as a grid of 20 tracks per row with
// a legend on the right.  The states move with the progress reports of the
// tool's output.
class MyGraphicalDumpDisplay : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TRACK_COUNT = 180;
    static constexpr int MAX_ROWS = 9;
    static constexpr int TRACKS_PER_ROW = 20;
    static constexpr int STATE_NON_TARGET = -1;
    static constexpr int STATE_TARGET = 0;
    static constexpr int STATE_COMPLETE = 1;
    static constexpr int STATE_ERROR = 255;
    // Highest track that SpecifyTrackState accepts.
    static constexpr int SPECIFY_LAST_TRACK = 168;

    explicit MyGraphicalDumpDisplay(QWidget* parent = nullptr);

    // Mode 0 dump, 1 restore, 2 unformat.  Tracks begin * 2 to end * 2 + 1
    // become Target, all others Non target.  Cylinders beyond the 90 the map
    // holds are left out; rows are at most nine.
    void InitialTrackState(int mode, int begin, int end, int retry, int cylinders);
    // Shows states kept from an earlier run (count entries, the rest Non
    // target) as InitialTrackState would lay out the map for cylinders.
    void SetTrackStates(int mode, int retry, int cylinders, const int* states, int count);
    // Sets the listed tracks (those from 0 to 168) back to Target before a
    // re-dump; the first argument is not used.
    void SpecifyTrackState(int unused, int retry, int count, int* tracks);
    // Writes every Error and Target track in ascending order into tracks
    // (room for 180) and returns how many; the first argument is not used.
    // A null tracks only counts.
    int GetErrorAndTargetTrack(int unused, int* tracks) const;

    // Feeds one chunk of the tool's output.  A report left open at the end of
    // a chunk is completed by the next one (until the next InitialTrackState
    // or SpecifyTrackState); anything else starts afresh with each chunk.
    void AnalyzeDrvDumpInfo(const QByteArray& chunk);

    int TrackState(int track) const;
    int Mode() const { return m_mode; }
    int RetryThreshold() const { return m_retry; }
    int Cylinders() const { return m_cylinders; }
    int Rows() const { return m_rows; }
    // Number of paint events handled so far.
    int PaintCount() const { return m_paintCount; }

    // Cell colour and cell text of a state.
    static QColor StateColour(int state);
    static QString StateText(int state);

    // Draws one cell: 6 pt font, solid brush of colour, rectangle outlined in
    // the current pen.  The text is not drawn here.
    static void OneCylinderDraw(QPainter* painter, int x, int y, int width, int height,
                                const QString& text, const QColor& colour);

    // The map drawn literally, one outlined rectangle after the other; kept as
    // the yardstick of the drawing that paintEvent uses.
    static void DrawReference(QPainter* painter, const QSize& size, const QFont& font, int mode,
                              int rows, const int* states);
    // The drawing paintEvent uses: the same pixels, with the cells filled
    // first and all outlines drawn in one pass.
    static void DrawMap(QPainter* painter, const QSize& size, const QFont& font, int mode,
                        int rows, const int* states);
    // The same, for a painter clipped to dirty: only the cells near it are
    // drawn, and the labels and legend only when dirty reaches outside the
    // cells.  A null dirty draws everything.
    static void DrawMapPart(QPainter* painter, const QSize& size, const QFont& font, int mode,
                            int rows, const int* states, const QRect& dirty);

public slots:
    void on_dumpCommandOutputs(QByteArray chunk);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_trackState[TRACK_COUNT];
    int m_retry = 0;
    int m_mode = 0;
    int m_cylinders = 80;
    int m_rows = 9;
    int m_paintCount = 0;
    TrackReportParser m_parser;
};
