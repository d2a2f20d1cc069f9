#include "settings/CSettingsDlg.h"

#include "exchange/ExchangeHandlers.h"
#include "res/Resources.h"
#include "settings/SimIdentity.h"
#include "store/CRegistryStore.h"
#include "store/RegistryKeys.h"

namespace {

constexpr const char16_t* kShort = u"短";
constexpr const char16_t* kLong = u"长";
constexpr const char16_t* kNumberPrompt = u"<在此输入手机号>";

// A switch stored by presence: the value exists and can be read.
int IsPresent(const char16_t* name) {
    CString ignored;
    return CRegistryStore::ReadString(keys::kSettings, name, ignored) == 0 ? 1 : 0;
}

// The stored text, or "*" when there is none that can be read.
CString ReadOrStar(const char16_t* name) {
    CString text;
    if (CRegistryStore::ReadString(keys::kSettings, name, text) != 0)
        text = u"*";
    return text;
}

// A switch by presence: the value named by itself (or carrying data), else deleted.
void WriteSwitch(const char16_t* name, int on, const CString& data) {
    if (on)
        CRegistryStore::WriteString(keys::kSettings, name, data);
    else
        CRegistryStore::DeleteValue(keys::kSettings, name);
}

} // namespace

CSettingsDlg::CSettingsDlg(CWnd* parent) : CDialog(135, parent) {}

const CMessageMap& CSettingsDlg::GetMessageMap() const {
    static const CMessageMap map{{
        OnClicked(1028, &CSettingsDlg::OnExportLists),
        OnClicked(1029, &CSettingsDlg::OnExportMessages),
        OnClicked(1030, &CSettingsDlg::OnImportLists),
        OnClicked(1034, &CSettingsDlg::OnImportMessages),
    }};
    return map;
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, 1024, m_redOnly);
    DDX_Check(pDX, 1025, m_vibrate);
    DDX_Check(pDX, 1026, m_bubble);
    DDX_Text(pDX, 1027, m_noticeText);
    DDV_MaxChars(pDX, m_noticeText, kNoticeTextLimit);
    DDX_Check(pDX, 1031, m_rejectNonContacts);
    DDX_Text(pDX, 1033, m_antiTheftNumber);
    DDX_Check(pDX, 1032, m_antiTheft);
    DDX_CBString(pDX, 1035, m_vibrationLength);
}

bool CSettingsDlg::OnInitDialog() {
    // The length box's two items come with the window, before anything is shown in it.
    m_lengthBox.SubclassDlgItem(1035, *this);
    m_lengthBox.AddString(kShort);
    m_lengthBox.AddString(kLong);
    CDialog::OnInitDialog();
    LoadSettings();
    UpdateData(false);
    m_shownNoticeText = m_noticeText;
    return true;
}

void CSettingsDlg::LoadSettings() {
    m_redOnly = IsPresent(u"REDONLY");
    m_vibrate = IsPresent(u"SENDFLAG");
    m_vibrationLength = ReadOrStar(u"SENDFLAG");
    if (m_vibrationLength == u"*")
        m_vibrationLength = kShort;
    m_bubble = IsPresent(u"POPOMSG");
    m_noticeText = ReadOrStar(u"POPOCONTENT");
    m_rejectNonContacts = IsPresent(u"contacts");
    m_antiTheft = IsPresent(u"DOG");
    m_antiTheftNumber = ReadOrStar(u"DOG");
    if (m_antiTheftNumber == u"*")
        m_antiTheftNumber = kNumberPrompt;
}

void CSettingsDlg::OnOK() {
    SaveSettings();
    EndDialog(IDOK);
}

void CSettingsDlg::SaveSettings() {
    UpdateData(true);
    WriteSwitch(u"REDONLY", m_redOnly, u"REDONLY");
    if (m_bubble) {
        CRegistryStore::WriteString(keys::kSettings, u"POPOMSG", u"POPOMSG");
        WriteSwitch(u"SENDFLAG", m_vibrate, m_vibrationLength);
    } else {
        CRegistryStore::DeleteValue(keys::kSettings, u"POPOMSG"); // the vibration stays
    }
    // A longer text than the box takes came from another writer; it is kept as it is
    // unless the owner changed it here.
    if (m_noticeText.GetLength() <= kNoticeTextLimit || m_noticeText != m_shownNoticeText)
        CRegistryStore::WriteString(keys::kSettings, u"POPOCONTENT", m_noticeText);
    WriteSwitch(u"contacts", m_rejectNonContacts, u"contacts");
    if (m_antiTheft) {
        CRegistryStore::WriteString(keys::kSettings, u"DOG", m_antiTheftNumber);
        if (ReadSimIdentity())
            CRegistryStore::WriteString(keys::kSettings, u"SIMID", s_simIdentity);
        else
            MessageBox(u"防盗功能启用失败!", kCaption, MB_OK | MB_ICONINFORMATION);
    } else {
        CRegistryStore::DeleteValue(keys::kSettings, u"DOG"); // "SIMID" stays
    }
}

void CSettingsDlg::OnExportLists() {
    ExportLists(*this);
}
void CSettingsDlg::OnExportMessages() {
    ExportMessages(*this);
}
void CSettingsDlg::OnImportLists() {
    ImportLists(*this);
}
void CSettingsDlg::OnImportMessages() {
    ImportMessages(*this);
}
