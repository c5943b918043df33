#include "flow/ResetAll.h"

#include "platform/Fatal.h"
#include "platform/Files.h"
#include "platform/KeptFile.h"
#include "platform/Process.h"
#include "platform/Sound.h"
#include "platform/Surface.h"
#include "platform/Ticks.h"
#include "render/RenderFrame.h"
#include "rules/ModMain.h"
#include "scores/ModHigh.h"

void ResetAll()
{
    ModMain::ResetState();
    ModHigh::ResetState();
    platform::ResetSound();
    platform::SetAppPath("");
    platform::SetUserDataPath("");
    platform::StartLockWait();
    platform::SetFatalHandler({});
    platform::SetEndProgramHandler({});
    platform::SetClockHold(nullptr);
    Render::BackBuffer().Clear();
    platform::ResetBitBltCount();
}
