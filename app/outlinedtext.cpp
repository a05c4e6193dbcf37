#include "outlinedtext.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

OutlinedText* OutlinedText::install(QLabel* label)
{
    auto* filter = new OutlinedText(label);
    label->installEventFilter(filter);
    label->update();
    return filter;
}

bool OutlinedText::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label || event->type() != QEvent::Paint || label->text().isEmpty())
        return QObject::eventFilter(watched, event);
    const QFont font = label->font();
    const QFontMetrics metrics(font);
    const QString text = label->text();
    const QRect box = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                          QSize(metrics.horizontalAdvance(text), metrics.height()),
                                          label->contentsRect());
    QPainterPath glyphs;
    glyphs.addText(box.left(), box.top() + metrics.ascent(), font, text);

    QPainter painter(label);
    painter.setRenderHint(QPainter::Antialiasing);
    // A 2-pixel pen centred on the glyph edges, half of it then covered by
    // the fill: 1 pixel of white remains outside.
    painter.strokePath(glyphs, QPen(Qt::white, 2));
    painter.fillPath(glyphs, label->palette().brush(QPalette::WindowText));
    return true;
}
