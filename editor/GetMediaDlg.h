// File > Get Media from Printer: the printer's address, a wait for its answer
// that the user may cancel, then the merge of the media it reports as papers,
// previewed as Merge from File previews a file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Dialog.h"

class CPaperCatalog;
struct MediaFetchJob;

// The printer's address and whether only the media loaded now are wanted.
class CGetMediaDlg : public fw::CDialog {
public:
    CGetMediaDlg(std::string address, bool readyOnly);

    const std::string& Address() const { return address_; }
    bool ReadyOnly() const { return readyOnly_; }

protected:
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;

private:
    std::string address_;
    bool readyOnly_;
};

// The wait: the request runs on a thread of its own while this dialog keeps
// the program answering; the thread ends the dialog with IDOK once the answer
// is in. Cancel ends it at once with IDCANCEL and tells the request to stop;
// its answer, whenever it comes, is dropped.
class CMediaWaitDlg : public fw::CDialog {
public:
    explicit CMediaWaitDlg(std::shared_ptr<MediaFetchJob> job);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;

private:
    std::shared_ptr<MediaFetchJob> job_;
};

// The whole command: asks for the address (the one remembered for the
// catalog, or the last one used), fetches, reports a failure and asks again,
// remembers the address after a fetch that succeeded, and previews and
// applies the merge. Answers the catalog as it was before the merge; nothing
// when nothing was merged.
std::unique_ptr<CPaperCatalog> GetMediaFromPrinter(HWND window);
