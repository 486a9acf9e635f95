// The application object: start-up, the About box and Help Topics.
#pragma once

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

// The help page: a file named after the program, beside it.
std::string HelpFilePath();
// Opens a document with the system's program for it; tests replace it.
using DocumentOpener = std::function<bool(const std::string& path)>;
void SetDocumentOpener(DocumentOpener opener);
