#include "mygraphicaldumpdisplay.h"

#include <QPaintEvent>

#include <QRegion>

#include <QBrush>
#include <QDebug>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QVector>

#include <algorithm>

#include "kestalog.h"
#include "mycommon.h"

namespace {

// Sizes of the map for a widget of width W and height H (integer parts taken
// where the drawing needs whole pixels).
struct MapGeometry
{
    int mapWidth = 0;     // M
    int legendWidth = 0;  // L
    double top = 0;       // T0
    double mapHeight = 0; // MH
    double unit = 0;      // U
    int labelWidth = 0;   // LW
    int step = 0;         // S
    int rowHeight = 0;    // R (0 when there are no rows)
    int legendRow = 0;    // LR

    MapGeometry(const QSize& size, int rows)
    {
        const int w = size.width();
        const int h = size.height();
        mapWidth = (w * 8) / 10;
        legendWidth = w / 5;
        top = (h - 5) / 10.0;
        mapHeight = (h - 5) - top;
        unit = mapWidth / 21.0;
        labelWidth = static_cast<int>(unit) - 2;
        step = static_cast<int>((mapWidth - unit) / 20.0);
        rowHeight = rows > 0 ? static_cast<int>(mapHeight / rows) : 0;
        legendRow = static_cast<int>(mapHeight / 9.0);
    }

    QRect Cell(int row, int column) const
    {
        int x = static_cast<int>(unit + column * step);
        if (column >= 10)
            x += 2; // the gap between the two halves of a row
        const int y = static_cast<int>(top + rowHeight * row);
        return QRect(x, y, step, rowHeight);
    }
};

struct LegendEntry
{
    int state;
    const char* name;
};

// Legend rows from position 1 down; position 0 stays empty.
QVector<LegendEntry> LegendOf(int mode)
{
    switch (mode) {
    case MyCommon::OPERATION_DUMP:
        return {{1, "Complete"}, {2, "Warning"}, {255, "Error"}, {0, "Target"}, {-1, "Non target"}};
    case MyCommon::OPERATION_RESTORE:
    case MyCommon::OPERATION_UNFORMAT:
        return {{1, "Complete"}, {0, "Target"}, {-1, "Non target"}};
    default:
        return {};
    }
}

QFont SizedFont(const QFont& font, int points)
{
    QFont sized(font);
    sized.setPointSize(points);
    return sized;
}

int ClampRows(int rows)
{
    return std::clamp(rows, 0, int(MyGraphicalDumpDisplay::MAX_ROWS));
}

// Everything but the cells: legend, row labels, column labels.
void DrawLegendAndLabels(QPainter* painter, const MapGeometry& g, const QFont& font, int mode,
                         int rows)
{
    const QFont font8 = SizedFont(font, 8);
    painter->setPen(QPen(Qt::black));

    const QVector<LegendEntry> legend = LegendOf(mode);
    for (int i = 0; i < legend.size(); ++i) {
        const int p = i + 1;
        MyGraphicalDumpDisplay::OneCylinderDraw(painter, g.mapWidth + 5, p * g.legendRow, g.step,
                                                g.legendRow, QString(),
                                                MyGraphicalDumpDisplay::StateColour(legend[i].state));
        painter->setFont(font8);
        painter->drawText(QRect(g.mapWidth + 10 + g.step, p * g.legendRow, g.legendWidth, g.legendRow),
                          Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(legend[i].name));
    }

    if (rows <= 0)
        return;
    // Row and column labels hang from the top of their rectangles: centred,
    // a column label of a tall row sinks behind the first row of cells, and a
    // row label lands between two rows.
    painter->setFont(font8);
    for (int r = 0; r < rows; ++r) {
        painter->drawText(QRect(0, g.rowHeight * (r + 1), g.labelWidth, g.rowHeight), Qt::AlignRight,
                          QString::number(r * 20));
    }
    const struct
    {
        int x;
        const char* text;
    } columns[] = {{g.step, "+0"},
                   {g.step * 6, "+5"},
                   {g.step * 11 + 2, "+10"},
                   {g.step * 16 + 2, "+15"}};
    for (const auto& column : columns) {
        painter->drawText(QRect(column.x, 0, g.labelWidth, g.rowHeight), Qt::AlignRight,
                          QString::fromLatin1(column.text));
    }
}

} // namespace

MyGraphicalDumpDisplay::MyGraphicalDumpDisplay(QWidget* parent) : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MyGraphicalDumpDisplay"));
    resize(391, 71);
    setWindowTitle(QStringLiteral("Form"));
    std::fill(std::begin(m_trackState), std::end(m_trackState), STATE_TARGET);
}

void MyGraphicalDumpDisplay::InitialTrackState(int mode, int begin, int end, int retry, int cylinders)
{
    m_mode = mode;
    m_retry = retry;
    m_cylinders = cylinders;
    // ceiling(cylinders * 2 / 20), within the nine rows of 180 tracks
    const int cyl = std::clamp(cylinders, 0, TRACK_COUNT / 2);
    m_rows = ClampRows((cyl * 2 + TRACKS_PER_ROW - 1) / TRACKS_PER_ROW);

    std::fill(std::begin(m_trackState), std::end(m_trackState), STATE_NON_TARGET);
    const int first = std::max(begin, 0);
    const int last = std::min(end, TRACK_COUNT / 2 - 1);
    for (int c = first; c <= last; ++c) {
        m_trackState[c * 2] = STATE_TARGET;
        m_trackState[c * 2 + 1] = STATE_TARGET;
    }

    m_parser.SetMode(mode);
    m_parser.Reset();
    repaint();
}

void MyGraphicalDumpDisplay::SetTrackStates(int mode, int retry, int cylinders, const int* states, int count)
{
    InitialTrackState(mode, 0, -1, retry, cylinders);
    for (int i = 0; states && i < std::min(count, int(TRACK_COUNT)); ++i)
        m_trackState[i] = states[i];
    repaint();
}

void MyGraphicalDumpDisplay::SpecifyTrackState(int, int retry, int count, int* tracks)
{
    m_retry = retry;
    if (tracks) {
        for (int i = 0; i < count; ++i) {
            const int track = tracks[i];
            if (track >= 0 && track <= SPECIFY_LAST_TRACK)
                m_trackState[track] = STATE_TARGET;
        }
    }
    m_parser.Reset();
    repaint();
}

int MyGraphicalDumpDisplay::GetErrorAndTargetTrack(int, int* tracks) const
{
    int count = 0;
    for (int track = 0; track < TRACK_COUNT; ++track) {
        const int state = m_trackState[track];
        if (state == STATE_ERROR || state == STATE_TARGET) {
            if (tracks)
                tracks[count] = track;
            ++count;
        }
    }
    return count;
}

int MyGraphicalDumpDisplay::TrackState(int track) const
{
    if (track < 0 || track >= TRACK_COUNT)
        return STATE_NON_TARGET;
    return m_trackState[track];
}

void MyGraphicalDumpDisplay::on_dumpCommandOutputs(QByteArray chunk)
{
    qCDebug(lcTrackMap) << "on_dumpCommandOutputs";
    AnalyzeDrvDumpInfo(chunk);
}

void MyGraphicalDumpDisplay::AnalyzeDrvDumpInfo(const QByteArray& chunk)
{
    qCDebug(lcTrackMap) << "AnalyzeDrvDumpInfo";
    const QVector<TrackReportParser::Report> reports = m_parser.Feed(chunk);
    bool changed = false;
    // Up to a few scattered cells are repainted each on its own; beyond that
    // their bounding rectangle (a clip of many small rectangles costs more
    // than the cells it spares).
    constexpr int kSeparateCells = 8;
    QRegion dirty;
    QRect bounds;
    int dirtyCells = 0;
    const MapGeometry g(size(), ClampRows(m_rows));
    for (const TrackReportParser::Report& report : reports) {
        if (report.track < 0 || report.track >= TRACK_COUNT)
            continue;
        const int row = report.track / TRACKS_PER_ROW;
        if (row < ClampRows(m_rows)) {
            const QRect cell = g.Cell(row, report.track % TRACKS_PER_ROW).adjusted(0, 0, 1, 1);
            if (++dirtyCells <= kSeparateCells)
                dirty += cell;
            bounds |= cell;
        }
        int& state = m_trackState[report.track];
        // Error is the end of the count, whatever the threshold.
        state = std::min(state + 1, int(STATE_ERROR));
        if (state >= m_retry)
            state = STATE_ERROR;
        changed = true;
    }
    // The runner hands over a chunk at a time and turns the event loop only
    // between chunks, so one immediate repaint shows every report of the chunk.
    // Only the cells that changed are painted again.
    if (changed && dirtyCells > kSeparateCells)
        repaint(bounds);
    else if (changed && !dirty.isEmpty())
        repaint(dirty);
}

QColor MyGraphicalDumpDisplay::StateColour(int state)
{
    // Named colours, looked up once: the map asks for them per cell.
    static const QColor nonTarget(QStringLiteral("darkgray"));
    static const QColor target(QStringLiteral("whitesmoke"));
    static const QColor complete(QStringLiteral("lime"));
    static const QColor error(QStringLiteral("red"));
    static const QColor warning(QStringLiteral("yellow"));
    switch (state) {
    case STATE_NON_TARGET:
        return nonTarget;
    case STATE_TARGET:
        return target;
    case STATE_COMPLETE:
        return complete;
    case STATE_ERROR:
        return error;
    default:
        return warning;
    }
}

QString MyGraphicalDumpDisplay::StateText(int state)
{
    switch (state) {
    case STATE_NON_TARGET:
    case STATE_TARGET:
    case STATE_COMPLETE:
        return QString();
    case STATE_ERROR:
        return QStringLiteral("E");
    default:
        return QString::number(state);
    }
}

void MyGraphicalDumpDisplay::OneCylinderDraw(QPainter* painter, int x, int y, int width, int height,
                                             const QString&, const QColor& colour)
{
    painter->setFont(SizedFont(painter->font(), 6));
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawRect(x, y, width, height);
}

void MyGraphicalDumpDisplay::DrawReference(QPainter* painter, const QSize& size, const QFont& font,
                                           int mode, int rows, const int* states)
{
    rows = ClampRows(rows);
    const MapGeometry g(size, rows);
    painter->save();
    painter->setFont(font);
    DrawLegendAndLabels(painter, g, font, mode, rows);
    const QFont font6 = SizedFont(font, 6);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < TRACKS_PER_ROW; ++c) {
            const int state = states[r * TRACKS_PER_ROW + c];
            const QRect cell = g.Cell(r, c);
            OneCylinderDraw(painter, cell.x(), cell.y(), cell.width(), cell.height(),
                            StateText(state), StateColour(state));
            painter->setFont(font6);
            painter->drawText(cell, Qt::AlignCenter, StateText(state));
        }
    }
    painter->restore();
}

void MyGraphicalDumpDisplay::DrawMap(QPainter* painter, const QSize& size, const QFont& font,
                                     int mode, int rows, const int* states)
{
    DrawMapPart(painter, size, font, mode, rows, states, QRect());
}

void MyGraphicalDumpDisplay::DrawMapPart(QPainter* painter, const QSize& size, const QFont& font,
                                         int mode, int rows, const int* states, const QRect& dirty)
{
    rows = ClampRows(rows);
    const MapGeometry g(size, rows);
    if (rows > 0 && (g.step < 2 || g.rowHeight < 2)) {
        // Cells too small to have an inside: keep the literal drawing.
        DrawReference(painter, size, font, mode, rows, states);
        return;
    }
    // Every pixel of a cell's rectangle, outline included, is covered again by
    // that cell, so labels need drawing only where dirty leaves the cells.
    const QRect cells = rows > 0 ? g.Cell(0, 0).united(g.Cell(rows - 1, TRACKS_PER_ROW - 1)).adjusted(0, 0, 1, 1)
                                 : QRect();
    // Near a dirty cell: a neighbour's text may reach into it.
    auto needed = [&dirty](const QRect& cell) { return dirty.isNull() || dirty.intersects(cell.adjusted(-4, -4, 5, 5)); };

    painter->save();
    painter->setFont(font);
    if (dirty.isNull() || !cells.contains(dirty))
        DrawLegendAndLabels(painter, g, font, mode, rows);

    // A cell drawn literally is its inside in its colour within a black
    // outline.  Filling each inside and writing its text in cell order, then
    // drawing every outline at the end, gives the same pixels: a later cell's
    // fill still covers what an earlier text spilled into it, and a text that
    // touches an outline is black on black either way.  Neighbouring cells
    // without text and of one colour are filled as one rectangle (their
    // shared outline is drawn over afterwards; no text lies between them).
    painter->setFont(SizedFont(font, 6));
    QRect drawn;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < TRACKS_PER_ROW;) {
            const int state = states[r * TRACKS_PER_ROW + c];
            const QRect cell = g.Cell(r, c);
            if (!needed(cell)) {
                ++c;
                continue;
            }
            const QString text = StateText(state);
            int end = c + 1;
            if (text.isEmpty()) {
                const int halfEnd = c < TRACKS_PER_ROW / 2 ? TRACKS_PER_ROW / 2 : TRACKS_PER_ROW;
                while (end < halfEnd && states[r * TRACKS_PER_ROW + end] == state && needed(g.Cell(r, end)))
                    ++end;
            }
            const QRect run = cell.united(g.Cell(r, end - 1));
            painter->fillRect(run.adjusted(1, 1, 0, 0), StateColour(state));
            if (!text.isEmpty())
                painter->drawText(cell, Qt::AlignCenter, text);
            drawn |= run.adjusted(0, 0, 1, 1);
            c = end;
        }
    }
    // The outlines of all cells are the lines of a grid, one per half of the
    // map; drawn as one-pixel strips within the cells drawn above (the
    // outline of a cell x, y, w, h covers columns x and x + w and rows y and
    // y + h).
    if (!drawn.isEmpty()) {
        const QColor outline = painter->pen().color();
        const int y0 = g.Cell(0, 0).y();
        const int y1 = g.Cell(rows - 1, 0).bottom() + 1;
        for (int half = 0; half < 2; ++half) {
            const int first = half * TRACKS_PER_ROW / 2;
            const int x0 = g.Cell(0, first).x();
            const int x1 = g.Cell(0, first + TRACKS_PER_ROW / 2 - 1).right() + 1;
            for (int c = first; c <= first + TRACKS_PER_ROW / 2; ++c) {
                const int x = c < first + TRACKS_PER_ROW / 2 ? g.Cell(0, c).x() : x1;
                painter->fillRect(QRect(x, y0, 1, y1 - y0 + 1) & drawn, outline);
            }
            for (int r = 0; r <= rows; ++r) {
                const int y = r < rows ? g.Cell(r, 0).y() : y1;
                painter->fillRect(QRect(x0, y, x1 - x0 + 1, 1) & drawn, outline);
            }
        }
    }
    painter->restore();
}

void MyGraphicalDumpDisplay::paintEvent(QPaintEvent* event)
{
    ++m_paintCount;
    QPainter painter(this);
    const QRect dirty = event->rect() == rect() ? QRect() : event->rect();
    DrawMapPart(&painter, size(), font(), m_mode, m_rows, m_trackState, dirty);
}
