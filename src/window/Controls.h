#pragma once
// The labels and pictures of the main window, at their places and with the
// texts they show before a game writes them.
#include "window/ClientArea.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <memory>

class QLabel;
class QWidget;

namespace Controls {

// Widgets belong to their Qt parent, which deletes them.
template <typename W, typename... Args> W* MakeChild(QWidget& parent, Args&&... args)
{
    return std::make_unique<W>(std::forward<Args>(args)..., &parent).release();
}

// A status label: white background, the status font.
QLabel* MakeStatusLabel(QWidget& parent, const QString& text, const QRect& geometry);
// An 11-pixel sans serif, the height of the original platform's default
// font, so that the longest texts fit the labels' boxes on every desktop.
QFont StatusFont();
// The message label over the playfield: transparent, centred, hidden.
QLabel* MakeMessageLabel(QWidget& parent);
// The title picture in a 2-pixel border, shown while no game runs.
QLabel* MakeTitlePicture(QWidget& parent);
// The message label at a scale: tall enough for two lines of its font there.
void ZoomMessageLabel(ClientArea::Zoomed& label, qreal scale, QPoint origin);
// The title picture at a scale: its design look, border and all, with every
// pixel a square of whole device pixels.
void ZoomTitlePicture(ClientArea::Zoomed& picture, qreal scale, QPoint origin);
// Bookman Old Style, 36 pt, light; the metric twin or a serif where missing.
QFont MessageFont();

} // namespace Controls
