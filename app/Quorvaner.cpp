// Program start: the application object, the main window and the message loop.
#include "app/QuorvaneSrc.h"
#include "app/InputFileNameSrc.h"
#include "core/ConfigStore.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    using namespace qv;
    Application->Initialize();
    Application->SetTitle(L"Quorvane");
    Application->CreateForm<app::TQuorvane>();
    Application->Run();
    // The forms go before the program-wide texts are cleared.
    while (Application->ComponentCount() > 0)
        delete Application->Component(Application->ComponentCount() - 1);
    core::SetProgramDir(L"");
    core::CommandLine().clear();
    app::NameDialogText().clear();
    return 0;
}
