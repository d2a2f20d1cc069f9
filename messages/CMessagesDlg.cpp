#include "messages/CMessagesDlg.h"

#include "messages/CComposeDlg.h"
#include "messages/SendJob.h"
#include "platform/shell/file_dialog.h"
#include "platform/shell/launch.h"
#include "res/Resources.h"
#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "ui/CPictureDlg.h"

namespace {

constexpr int kNameColumnWidth = 130;
constexpr int kTextColumnWidth = 110;
constexpr std::uint32_t kListExtendedStyle =
    LVS_EX_FULLROWSELECT | LVS_EX_NOHSCROLL | LVS_EX_GRADIENT;
// A text longer than this gets the tall text box.
constexpr int kShortTextLength = 70;

constexpr int kInboxItem = 0;

} // namespace

CMessagesDlg::CMessagesDlg(CWnd* parent)
    : CDialog(134, parent), m_watcher([this] { RefillRecords(); }) {}

void CMessagesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1031, m_branch);
    DDX_Control(pDX, 2001, m_recordList);
    DDX_Text(pDX, 1017, m_text);
    DDX_Text(pDX, 1016, m_number);
    DDX_Text(pDX, 1023, m_name);
}

const CMessageMap& CMessagesDlg::GetMessageMap() const {
    static const CMessageMap map{{
        OnNotify(CNotice::ItemChanged, 2001, &CMessagesDlg::OnRecordChanged),
        OnNotice(CNotice::SelChange, 1031, &CMessagesDlg::OnBranch),
        OnClicked(1021, &CMessagesDlg::OnLevelHigh),
        OnClicked(1022, &CMessagesDlg::OnLevelLow),
        OnCommand(32795, &CMessagesDlg::OnDelete),
        OnClicked(1019, &CMessagesDlg::OnDelete),
        OnCommand(32797, &CMessagesDlg::OnReply),
        OnClicked(1018, &CMessagesDlg::OnReply),
        OnCommand(32796, &CMessagesDlg::OnCall),
        OnClicked(1020, &CMessagesDlg::OnCall),
        OnCommand(32798, &CMessagesDlg::OnForward),
        OnCommand(32807, &CMessagesDlg::OnSetAvatar),
        OnCommand(32799, &CMessagesDlg::OnSlideshow),
        OnCommand(32808, &CMessagesDlg::OnAutoPlay),
        OnCommand(32803, &CMessagesDlg::OnOK),
    }};
    return map;
}

bool CMessagesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_menuBar = std::make_unique<platform::gui::CMenuBar>(*this, 141);
    m_photoPath.Empty();

    m_recordList.SetExtendedStyle(kListExtendedStyle);
    m_recordList.m_menuMode = CNumberListCtrl::kViewerMenuMode;
    m_recordList.InsertColumn(0, u"", LVCFMT_LEFT, kNameColumnWidth);
    m_recordList.InsertColumn(1, u"", LVCFMT_LEFT, kTextColumnWidth);

    m_branch.ResetContent();
    m_branch.AddString(u"红名单收件箱");
    m_branch.AddString(u"红名单发件箱");
    m_branch.SetCurSel(kInboxItem);

    const bool high = m_level == u"*";
    CheckDlgButton(1021, high ? 1 : 0);
    CheckDlgButton(1022, high ? 0 : 1);

    PlaceTextAndList(false);
    m_keyPath = RecordKeyPath(Branch::Inbox, m_number);
    RefillRecords();
    m_watcher.Start();
    return true;
}

void CMessagesDlg::PlaceTextAndList(bool longText) {
    if (longText) {
        GetDlgItem(1017)->MoveWindow(0, 38, 240, 110);
        m_recordList.MoveWindow(0, 148, 240, 120);
    } else {
        GetDlgItem(1017)->MoveWindow(0, 38, 240, 60);
        m_recordList.MoveWindow(0, 98, 240, 170);
    }
    m_recordList.ShowWindow(SW_SHOW);
}

void CMessagesDlg::RefillRecords() {
    m_recordList.DeleteAllItems();
    int row = 0;
    for (const CRecord& record : ListRecords(m_keyPath)) {
        m_recordList.InsertItem(row, record.name);
        m_recordList.SetItemText(row, 1, record.text);
        ++row;
    }
    m_selected = -1;
}

// The row the owner chose becomes the current record: its text shows, and an unread one
// is marked read. A row that only lost its selection changes nothing.
void CMessagesDlg::OnRecordChanged(int item) {
    if (item < 0 || item >= m_recordList.GetItemCount() ||
        !(m_recordList.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED))
        return;
    m_selected = item;
    const CString name = m_recordList.GetItemText(item, 0);
    m_text = m_recordList.GetItemText(item, 1);
    PlaceTextAndList(m_text.GetLength() > kShortTextLength);
    if (name.StartsWith(kUnreadMarker))
        m_recordList.SetItemText(item, 0, MarkRead(m_keyPath, name, m_text));
    UpdateData(false);
}

void CMessagesDlg::OnBranch() {
    m_keyPath = RecordKeyPath(m_branch.GetCurSel() == kInboxItem ? Branch::Inbox : Branch::Outbox,
                              m_number);
    RefillRecords();
}

void CMessagesDlg::OnLevelHigh() {
    m_level = u"*";
}

void CMessagesDlg::OnLevelLow() {
    m_level.Empty();
}

void CMessagesDlg::OnDelete() {
    if (m_selected == -1) {
        MessageBox(u"请选择要删除的短信！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    const CString name = m_recordList.GetItemText(m_selected, 0);
    if (MessageBox(CString::Formatted(u"是否要删除短信%s？", name), kCaption, MB_YESNO) != IDYES)
        return;
    if (DeleteRecord(m_keyPath, name) != 0) {
        MessageBox(u"删除失败！", kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    RefillRecords();
    m_text.Empty();
    UpdateData(false);
}

void CMessagesDlg::OnReply() {
    CComposeDlg compose;
    compose.m_number = m_number;
    compose.m_recipient = CString(u"收件人:") + m_name;
    compose.DoModal();
}

void CMessagesDlg::OnCall() {
    platform::RequestCall(WithoutPlus86(m_number));
}

// The phone's messaging program takes the text as it stands, quotes and all: it reads the
// body up to the last quote of its command line.
void CMessagesDlg::OnForward() {
    platform::StartProgram(u"\\Windows\\tmail.exe",
                           CString::Formatted(u"-service \"SMS\" -body \"%s\"", m_text));
}

void CMessagesDlg::OnSetAvatar() {
    OPENFILENAME ofn;
    ofn.hwndOwner = this;
    ofn.filterName = u"图片文件";
    ofn.filter = u"*.jpg|*.gif|*.bmp|*.png|*.tif|*.jpeg|*.tiff";
    ofn.title = u"选择图片";
    ofn.maxFile = MAX_PATH;
    ofn.flags = OFN_EXPLORER;
    if (!GetOpenFileName(ofn) || ofn.file.IsEmpty())
        return;
    WriteAvatar(m_keyPath, ofn.file);
    ShowSlides(0);
}

void CMessagesDlg::OnSlideshow() {
    ShowSlides(0);
}

void CMessagesDlg::OnAutoPlay() {
    ShowSlides(1);
}

void CMessagesDlg::ShowSlides(int autoPlay) {
    CPictureDlg slides;
    slides.m_keyPath = m_keyPath;
    slides.m_title = m_name;
    slides.m_autoPlay = autoPlay;
    if (ReadAvatar(m_keyPath, m_photoPath) == 0)
        slides.m_photoPath = m_photoPath;
    slides.DoModal();
}

// Leaving waits for a send job still running. The watcher of this window ends with it;
// the main window's watcher goes on, so that its list stays current.
void CMessagesDlg::OnOK() {
    if (s_sending != 0)
        return;
    m_watcher.Stop();
    CDialog::OnOK();
}

void CMessagesDlg::OnClose() {
    if (s_sending != 0)
        return;
    CDialog::OnClose();
}

// The watcher ends before the window goes, however it closes.
void CMessagesDlg::OnDestroy() {
    m_watcher.Stop();
    CDialog::OnDestroy();
}
