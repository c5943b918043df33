#pragma once
// The close box while a modal box is up. Qt drops a close request to a window
// that a modal dialog blocks, but the game never refuses to close, so on X11
// the request is taken from the window system before Qt sees it.
#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

class QWidget;

namespace platform {

class CloseRequestFilter final : public QAbstractNativeEventFilter {
  public:
    // Calls `onClose` for a close request to `window` while a modal dialog
    // blocks it. Does nothing on platforms other than X11.
    CloseRequestFilter(const QWidget& window, std::function<void()> onClose);
    ~CloseRequestFilter() override;
    CloseRequestFilter(const CloseRequestFilter&) = delete;
    CloseRequestFilter& operator=(const CloseRequestFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    const QWidget& Window;
    std::function<void()> OnClose;
    std::uint32_t Protocols = 0;
    std::uint32_t DeleteWindow = 0;
};

} // namespace platform
