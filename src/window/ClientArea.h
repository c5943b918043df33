#pragma once
// The window's white client area: shows the last game frame at its top-left
// corner and carries the labels and the title picture.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <vector>

class QPaintDevice;
class QPainter;
namespace platform {
class FrameBlocks;
}

class ClientArea final : public QWidget {
  public:
    static constexpr int Width = 330;
    static constexpr int FrameHeight = 300;
    static constexpr int OnePlayerHeight = 344;
    static constexpr int TwoPlayerHeight = 388;
    // Frames are compared and pushed to the screen in blocks of this size:
    // a frame changes by whole squares, plus the apple-timer bar.
    static constexpr int Block = 10;

    explicit ClientArea(QWidget* parent = nullptr);

    // Takes the frame's 330 x 300 top-left corner and paints the blocks that
    // differ from the last frame before returning, so the screen shows it
    // even if no events follow. An unchanged frame costs no painting at all.
    // Given the frame's drawn blocks, and this frame follows the last one
    // presented, only those are compared.
    void Present(const QImage& frame, const platform::FrameBlocks* drawn = nullptr);
    int FramesPresented() const { return Presented; }
    // The area the last Present painted (empty for an unchanged frame).
    const QRegion& LastChange() const { return Changed; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Copies every block of `frame` that differs from Frame into it and
    // collects the blocks, merged into runs, in Changed.
    void CopyChangedBlocks(const QImage& frame, int width, int height, const std::vector<std::uint64_t>* drawn);
    // Joins the runs from bandStart on to the band right above them when
    // both have the same runs, keeping ChangedRuns a coalesced region.
    void MergeWithBandAbove(std::size_t bandStart);
    // Paints `region` of Frame straight into the window's backing store and
    // flushes it; false, having done nothing visible, where it cannot.
    bool PaintStraight(const QRegion& region);
    // The image `painter` draws into, if Frame's rows can be copied into it
    // as they are; nullptr otherwise (scaled, another format, shared).
    QImage* PlainTarget(const QPainter& painter) const;
    // `device` if it is an image Frame's rows can be copied into as they are.
    QImage* PlainImage(QPaintDevice* device) const;
    // Copies Frame's `area` to `area` moved by `offset` in `target`, clipped.
    void CopyRows(QImage& target, const QRect& area, QPoint offset) const;

    QImage Frame; // our own copy: the renderer keeps drawing into its buffer
    QRegion Changed;
    std::vector<QRect> ChangedRuns; // room for every block, reserved once
    int Presented = 0;
    // The drawn blocks of the frame last presented, and their serial.
    const platform::FrameBlocks* LastDrawn = nullptr;
    std::uint64_t LastSerial = 0;
};
