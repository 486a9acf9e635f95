// The application object: start-up, the About box and Help Topics.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/MessageMap.h"

class CMainFrame;
class CVellicorView;

class CVellicorApp : public fw::CApplication {
public:
    CVellicorApp();
    ~CVellicorApp() override;

    bool InitInstance() override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CCmdUI& ui) override;

    void OnAppAbout();
    void OnHelpTopics();

    CMainFrame* Frame() const { return frame_.get(); }
    CVellicorView* View() const { return view_.get(); }

private:
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CVellicorView> view_;

    static const fw::CommandEntry<CVellicorApp> kCommands[];
};

// The help page beside the program in the interface language, or the English
// one when that language's page is missing. The module's path is first read
// into firstCapacity characters (tests pass a small one to make it grow).
std::wstring HelpFilePath(DWORD firstCapacity = MAX_PATH);
std::wstring HelpPageName(int16_t language);
// The program file's full path, however long.
std::wstring ModuleFileName(DWORD firstCapacity = MAX_PATH);
// Opens a document with the system's program for it; tests replace it.
using DocumentOpener = std::function<bool(const std::wstring& path)>;
void SetDocumentOpener(DocumentOpener opener);
