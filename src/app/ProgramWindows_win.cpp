#include "app/ProgramWindows.h"

#include "app/Application.h"
#include "dialogs/MorvaneDialogs_Impl.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/MorvaneAutoObj_Impl.h"

TProgramWindows::TApplicationLifetime::TApplicationLifetime()
{
    CreateApplication();
    Application().SetTitle("Lumivanta Suite");
}

TProgramWindows::TApplicationLifetime::~TApplicationLifetime()
{
    FreeApplication();
}

TProgramWindows::TDialogsLifetime::TDialogsLifetime(HWND owner, HWND anchor)
{
    CreateStringListDialogs(owner, anchor);
    SetDialogsObjectFactory(NewDialogsObject);
}

TProgramWindows::TDialogsLifetime::~TDialogsLifetime()
{
    SetDialogsObjectFactory(nullptr);
    FreeStringListDialogs();
}

TProgramWindows::TProgramWindows(TJclDebugHandler& debugger)
    : FMainForm(std::make_unique<TMainForm>(debugger))
{
    // The application's window owns the dialogs; the main window may be hidden or minimised.
    FDialogs.emplace(Application().Handle(), FMainForm->Handle());
    Application().SetOnEndSession([this] { FMainForm->SessionEnding(); });
}

TProgramWindows::~TProgramWindows()
{
    Application().SetOnEndSession(nullptr);
    FDialogs.reset();
    FMainForm.reset();
}
