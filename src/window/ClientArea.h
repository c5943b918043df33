#pragma once
// The window's white client area: the last game frame, the labels and the
// title picture, all at the largest whole zoom the area holds, centred.
#include "platform/Presenter.h"

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <vector>

class ClientArea final : public QWidget {
  public:
    static constexpr int Width = 330;
    static constexpr int FrameHeight = 300;
    static constexpr int OnePlayerHeight = 344;
    static constexpr int TwoPlayerHeight = 388;

    // A child shown at the zoom: how it looks in the design.
    struct Zoomed {
        QWidget* widget = nullptr;
        QRect geometry;
        QFont font;
        QPixmap look; // for a restyle that keeps a picture of its own
        // Shows the child at `zoom` from `origin`; nullptr: its geometry
        // and font scaled.
        void (*restyle)(Zoomed& child, int zoom, QPoint origin) = nullptr;
    };

    // The child's design geometry and font, scaled.
    static void ScaleAsDesigned(Zoomed& child, int zoom, QPoint origin);

    explicit ClientArea(QWidget* parent = nullptr);

    // The frame's top-left 330 x 300, on screen before this returns.
    void Present(const platform::Surface& frame) { Screen.Present(frame); }
    int FramesPresented() const { return Screen.FramesPresented(); }
    // The frame's pixels the last Present showed (empty for an unchanged frame).
    const QRegion& LastChange() const { return Screen.LastChange(); }

    // Hides a child and shows what lay under it before returning: frames go
    // straight to the screen and would not wait for that repaint.
    void HideNow(QWidget& child);

    // Shows `child`, as it is now, at every zoom from now on.
    void KeepZoomed(QWidget& child, void (*restyle)(Zoomed&, int, QPoint) = nullptr);
    // The design's height: one player's status rows or both players'.
    void SetDesignHeight(int height);
    QSize DesignSize() const { return {Width, Height}; }
    int Zoom() const { return Screen.Zoom(); }
    // Where the design's (0, 0) lies.
    QPoint Origin() const { return Screen.Origin(); }

    QSize sizeHint() const override { return DesignSize(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Zoom and place for the present size; children follow a change.
    void Relayout(bool always);
    void Show(Zoomed& child) const;

    platform::Presenter Screen;
    std::vector<Zoomed> Children;
    int Height = OnePlayerHeight;
};
