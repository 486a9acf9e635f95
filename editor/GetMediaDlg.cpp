#include "editor/GetMediaDlg.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "editor/MergeFromFileDlg.h"
#include "editor/MessageBoxes.h"
#include "editor/PrinterAddress.h"
#include "editor/Relabel.h"
#include "framework/Controls.h"
#include "media/MediaFetch.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

// A printer on the network answers in a second or two; a busy one may take
// longer, and the user can cancel before this.
constexpr int kFetchTimeoutMs = 30000;

// The address used last for a catalog that keeps none in the configuration
// (untitled or imported), for the rest of this run.
std::string& LastUnrememberedAddress() {
    static std::string address;
    return address;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

// What the request thread and the wait dialog share: the thread keeps it alive
// for as long as it runs, so a cancelled wait may go without waiting for it.
struct MediaFetchJob {
    MediaFetchJob(std::string uri, int16_t language) : uri(std::move(uri)), language(language) {}

    const std::string uri;
    const int16_t language;
    std::atomic<bool> cancel{false};
    // Guards `notify` and `done`; `result` is written before `done` is set.
    std::mutex mutex;
    HWND notify = nullptr;
    bool done = false;
    MediaFetchResult result;

    void Run() {
        MediaFetchResult answer = FetchPrinterMedia(uri, language, &cancel, kFetchTimeoutMs);
        const std::lock_guard<std::mutex> lock(mutex);
        result = std::move(answer);
        done = true;
        if (notify) PostMessageA(notify, WM_COMMAND, IDOK, 0);
    }
};

CGetMediaDlg::CGetMediaDlg(std::string address, bool readyOnly)
    : fw::CDialog(IDD_GET_MEDIA), address_(std::move(address)), readyOnly_(readyOnly) {}

bool CGetMediaDlg::OnInitDialog() {
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, LAB_FILE_GET_MEDIA);
    SetItemLabel(Hwnd(), IDC_GET_MEDIA_ADDRESS_LABEL, 0, LAB_PRINTER_ADDRESS);
    SetItemLabel(Hwnd(), IDC_GET_MEDIA_HINT, 0, LAB_PRINTER_ADDRESS_HINT);
    SetItemLabel(Hwnd(), IDC_GET_MEDIA_READY, 0, LAB_READY_ONLY);
    SetItemLabel(Hwnd(), IDOK, 0, LAB_GET_MEDIA_BUTTON);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    const fw::CEdit edit(Item(IDC_GET_MEDIA_ADDRESS));
    edit.SetText(address_);
    edit.SelectAll();
    fw::CButton(Item(IDC_GET_MEDIA_READY)).SetCheck(readyOnly_);
    EnableWindow(Item(IDOK), !Trimmed(address_).empty());
    SendMessageA(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit.Hwnd()), TRUE);
    return false;
}

bool CGetMediaDlg::OnNotify(int controlId, UINT code) {
    if (controlId == IDC_GET_MEDIA_ADDRESS && code == EN_CHANGE) {
        EnableWindow(Item(IDOK), !Trimmed(fw::CWindow(Item(IDC_GET_MEDIA_ADDRESS)).GetText()).empty());
        return true;
    }
    return false;
}

// Enter asks as the button does; an empty address asks nothing.
void CGetMediaDlg::OnOK() {
    const std::string address = Trimmed(fw::CWindow(Item(IDC_GET_MEDIA_ADDRESS)).GetText());
    if (address.empty()) return;
    address_ = address;
    readyOnly_ = fw::CButton(Item(IDC_GET_MEDIA_READY)).IsChecked();
    EndDialog(IDOK);
}

CMediaWaitDlg::CMediaWaitDlg(std::shared_ptr<MediaFetchJob> job) : fw::CDialog(IDD_GET_MEDIA_WAIT), job_(std::move(job)) {}

bool CMediaWaitDlg::OnInitDialog() {
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, LAB_FILE_GET_MEDIA);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    SetWindowTextA(Item(IDC_GET_MEDIA_WAIT_TEXT), FormatText(InterfaceMessage(MSG_GET_MEDIA_WAIT), {job_->uri}).c_str());
    {
        const std::lock_guard<std::mutex> lock(job_->mutex);
        job_->notify = Hwnd();
        // An answer faster than the dialog came up.
        if (job_->done) PostMessageA(Hwnd(), WM_COMMAND, IDOK, 0);
    }
    SendMessageA(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDCANCEL)), TRUE);
    return false;
}

// Only the request thread says OK, once its answer is in; an answer that
// comes after Cancel is not taken.
void CMediaWaitDlg::OnOK() {
    const std::lock_guard<std::mutex> lock(job_->mutex);
    if (job_->done && !job_->cancel) EndDialog(IDOK);
}

void CMediaWaitDlg::OnCancel() {
    job_->cancel = true;
    EndDialog(IDCANCEL);
}

void CMediaWaitDlg::OnDestroy() {
    const std::lock_guard<std::mutex> lock(job_->mutex);
    job_->notify = nullptr;
}

namespace {

// The media as papers to merge, the loaded ones marked, the refused ones
// named with their reasons; only the loaded ones when `readyOnly`.
std::unique_ptr<CPaperCatalog> MergeFetchedMedia(HWND window, const MediaFetchResult& result, bool readyOnly) {
    const std::vector<CPaperDef> papers = PapersOfFetch(result, readyOnly);
    MergePreview preview;
    preview.caption = LAB_FILE_GET_MEDIA;
    preview.nothingToMerge = MSG_GET_MEDIA_NOTHING;
    preview.mark = LAB_MEDIA_READY_MARK;
    for (const FetchedMedia& fetched : result.media) {
        if (readyOnly && !fetched.media.ready) continue;
        if (fetched.paper.ok()) {
            if (fetched.media.ready) preview.marked.push_back(fetched.paper.paper.Name);
        } else if (!fetched.duplicate) {
            // A media listed again as the same paper is that paper, not a refusal.
            preview.notes.push_back(FormatText(InterfaceMessage(MSG_MEDIA_NOT_TAKEN), {MediaRefusalText(fetched)}));
        }
    }
    if (papers.empty() && preview.notes.empty()) {
        platform::ShowMessageBox(window, InterfaceMessage(MSG_GET_MEDIA_NONE_READY), InterfaceLabel(LAB_PRODUCT),
                                 MB_OK | MB_ICONINFORMATION);
        return nullptr;
    }
    return PreviewAndMerge(window, papers, preview);
}

void RememberAddress(HWND window, const std::string& uri) {
    long error = 0;
    switch (RememberPrinterUri(AppState.CurrentCatalogName, uri, &error)) {
    case RememberOutcome::Written:
        return;
    case RememberOutcome::NotConfigured:
        LastUnrememberedAddress() = uri;
        return;
    case RememberOutcome::Failed:
        LastUnrememberedAddress() = uri;
        platform::ShowMessageBox(window,
                                 FormatText(InterfaceMessage(MSG_PRINTER_URI_NOT_REMEMBERED),
                                            {AppState.ConfigurationFile, error ? platform::SystemErrorText(error) : ""}),
                                 InterfaceLabel(LAB_PRODUCT), MB_OK | MB_ICONWARNING);
        return;
    }
}

}  // namespace

std::unique_ptr<CPaperCatalog> GetMediaFromPrinter(HWND window) {
    std::string address = RememberedPrinterUri(AppState.CurrentCatalogName);
    if (address.empty()) address = LastUnrememberedAddress();
    bool readyOnly = false;
    for (;;) {
        CGetMediaDlg ask(address, readyOnly);
        if (ask.DoModal(window) != IDOK) return nullptr;
        address = ask.Address();
        readyOnly = ask.ReadyOnly();

        auto job = std::make_shared<MediaFetchJob>(address, AppState.CurrentLanguage);
        std::thread([job] { job->Run(); }).detach();
        CMediaWaitDlg wait(job);
        if (wait.DoModal(window) != IDOK) return nullptr;
        // A failure says why and asks again, the address as typed.
        if (!job->result.ok()) {
            ShowRefusal(window, MediaFetchFaultText(job->result, address));
            continue;
        }
        RememberAddress(window, address);
        return MergeFetchedMedia(window, job->result, readyOnly);
    }
}
