#pragma once
// The window's white client area: the last game frame, the labels and the
// title picture, at the largest whole zoom in device pixels the area holds,
// centred. A frame reaches the screen through Qt's own painting: the blocks
// that changed are repainted, and Qt puts the labels on top of them.
#include "render/RenderFrame.h"

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <vector>

class ClientArea final : public QWidget {
  public:
    static constexpr int Width = Render::FrameWidth;
    static constexpr int OnePlayerHeight = 344;
    static constexpr int TwoPlayerHeight = 388;

    // A child shown at the zoom: how it looks in the design.
    struct Zoomed {
        QWidget* widget = nullptr;
        QRect geometry;
        QFont font;
        QPixmap look; // for a restyle that keeps a picture of its own
        // Shows the child at `scale` widget pixels to a design pixel, the
        // design's (0, 0) at `origin`; nullptr: its geometry and font scaled.
        void (*restyle)(Zoomed& child, qreal scale, QPoint origin) = nullptr;
    };

    // The child's design geometry and font, scaled.
    static void ScaleAsDesigned(Zoomed& child, qreal scale, QPoint origin);

    explicit ClientArea(QWidget* parent = nullptr);

    // Shows the frame's top-left 330 x 300: the blocks that differ from the
    // last frame are on screen, under the labels, before this returns.
    void Present(const platform::Surface& frame);
    // Test seams, not used by the game: how many frames were shown, and the
    // frame's pixels the last Present repainted (empty when unchanged). The
    // screen shows the same either way; a repaint of too much or of nothing
    // is only seen here.
    int FramesPresented() const { return Presented; }
    QRegion LastChange() const;

    // Shows `child`, as it is now, at every zoom from now on.
    void KeepZoomed(QWidget& child, void (*restyle)(Zoomed&, qreal, QPoint) = nullptr);
    // The design's height: one player's status rows or both players'.
    void SetDesignHeight(int height);
    QSize DesignSize() const { return {Width, Height}; }
    // Device pixels to a side of a frame pixel.
    int Zoom() const { return Scale; }
    // Where the design's (0, 0) lies.
    QPoint Origin() const { return At; }

    QSize sizeHint() const override { return DesignSize(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Copies the blocks of `frame` that differ from Shown into it, and lists
    // them in Runs: neighbouring blocks of a row as one rectangle, the same
    // runs in neighbouring rows as one.
    void TakeChangedBlocks(const QImage& frame);
    // Zoom and place for the present size; children follow a change.
    void Relayout(bool always);
    void Show(Zoomed& child) const;
    // Widget pixels to a design pixel.
    qreal WidgetScale() const { return Scale / Ratio; }
    // The widget pixels that cover the given frame pixels.
    QRect ToWidget(const QRect& framePixels) const;

    QImage Shown;            // the frame on screen: the renderer draws on in its own
    std::vector<QRect> Runs; // room for every block, reserved once
    QRegion ToRepaint;       // the same in widget pixels
    QRect Inside;            // widget pixels wholly within the frame
    std::vector<Zoomed> Children;
    QPoint At;
    int Scale = 1;
    qreal Ratio = 1; // device pixels to a widget pixel
    int Height = OnePlayerHeight;
    int Presented = 0;
};
