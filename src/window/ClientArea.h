#pragma once
// The window's white client area: shows the last game frame at its top-left
// corner and carries the labels and the title picture.
#include <QImage>
#include <QWidget>

class ClientArea final : public QWidget {
public:
    static constexpr int Width = 330;
    static constexpr int FrameHeight = 300;
    static constexpr int OnePlayerHeight = 344;
    static constexpr int TwoPlayerHeight = 388;

    explicit ClientArea(QWidget* parent = nullptr);

    // Copies the frame's 330 x 300 top-left corner and paints it before
    // returning, so the screen shows it even if no events follow.
    void Present(const QImage& frame);
    const QImage& LastFrame() const { return Frame; }
    int FramesPresented() const { return Presented; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage Frame; // our own copy: the renderer keeps drawing into its buffer
    int Presented = 0;
};
