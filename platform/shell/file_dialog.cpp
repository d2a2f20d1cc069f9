#include "platform/gui/window.h"
#include "platform/shell/file_dialog_widget.h"

#include "platform/device.h"
#include "platform/shell/overlay.h"
#include "platform/shell/phone_screen.h"
#include "platform/text.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace platform::gui {
namespace {

std::vector<QPointer<FileDialogWidget>> g_open; // innermost last

constexpr int kWidth = PhoneScreen::kWidth;
constexpr int kHeight = PhoneScreen::kHeight;
constexpr int kNavBar = PhoneScreen::kNavBarHeight;
constexpr int kMenuBar = PhoneScreen::kMenuBarHeight;
constexpr int kMargin = 4;
constexpr int kLabelWidth = 46;
const QRect kFolderLine(kMargin, kNavBar + 2, kWidth - 2 * kMargin, 18);
const QRect kListRect(kMargin, kNavBar + 22, kWidth - 2 * kMargin, 186);
const QRect kTypeLine(kMargin, kNavBar + 212, kWidth - 2 * kMargin, 18);
const QRect kNameLine(kMargin, kNavBar + 236, kWidth - 2 * kMargin, 22);

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string DevicePath(const std::vector<std::u16string>& parts) {
    if (parts.empty())
        return u"\\";
    std::u16string path;
    for (const auto& part : parts)
        path += u"\\" + part;
    return path;
}

// One pattern against one name, both folded: `*` any run, `?` one character.
bool Matches(std::u16string_view name, std::u16string_view pattern) {
    std::size_t n = 0, p = 0, starAt = std::u16string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

std::u16string Trimmed(std::u16string_view s) {
    const auto space = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return std::u16string(s);
}

// The host directory a device path names, if it names one.
std::optional<fs::path> HostFolder(std::u16string_view devicePath) {
    const auto host = platform::ThisDevice().HostPath(devicePath);
    std::error_code ec;
    if (!host || !fs::is_directory(*host, ec))
        return std::nullopt;
    return host;
}

} // namespace

bool MatchesFilter(std::u16string_view name, std::u16string_view filter) {
    const std::u16string folded = FoldCase(name);
    bool anyPattern = false;
    std::size_t from = 0;
    while (from <= filter.size()) {
        std::size_t to = filter.find_first_of(u"|;", from);
        if (to == std::u16string_view::npos)
            to = filter.size();
        const std::u16string pattern = Trimmed(filter.substr(from, to - from));
        if (!pattern.empty()) {
            anyPattern = true;
            if (Matches(folded, FoldCase(pattern)))
                return true;
        }
        from = to + 1;
    }
    return !anyPattern;
}

FileDialogWidget::FileDialogWidget(QWidget* screen, Request request)
    : QWidget(screen), m_request(std::move(request)), m_list(new QListWidget(this)),
      m_edit(new QLineEdit(this)), m_ok(new QPushButton(QStringLiteral("确定"), this)),
      m_cancel(new QPushButton(QStringLiteral("取消"), this)) {
    if (m_request.title.empty())
        m_request.title = u"打开";
    setGeometry(0, 0, kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFocusPolicy(Qt::StrongFocus);

    m_list->setGeometry(kListRect);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setIconSize(QSize(16, 16));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A tap opens a folder or takes a file, once the list is done with the tap.
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        QMetaObject::invokeMethod(
            this, [this, row = m_list->row(item)] { Activate(row); }, Qt::QueuedConnection);
    });
    m_edit->setGeometry(kNameLine.adjusted(kLabelWidth, 0, 0, 0));
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { Accept(); });

    const int buttonTop = kHeight - kMenuBar + 3;
    m_ok->setGeometry(kWidth / 4 - 30, buttonTop, 60, kMenuBar - 6);
    m_cancel->setGeometry(kWidth * 3 / 4 - 30, buttonTop, 60, kMenuBar - 6);
    for (QPushButton* button : {m_ok, m_cancel})
        button->setFocusPolicy(Qt::NoFocus);
    connect(m_ok, &QPushButton::clicked, this, [this] { Accept(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Finish(std::nullopt); });

    // Where to start: the folder named, or the folder of the file named (which goes into
    // the edit field); else My Documents, else the root. A bare name is in My Documents.
    m_folder = u"\\My Documents";
    const std::u16string start =
        m_request.start.empty() ? std::u16string() : Resolve(m_request.start);
    if (start.empty() || !Enter(start)) {
        const auto parts = platform::SplitDevicePath(start);
        if (!parts.empty() && Enter(DevicePath({parts.begin(), parts.end() - 1})))
            m_edit->setText(ToQt(m_request.start));
        else if (!Enter(u"\\My Documents"))
            Enter(u"\\");
    }
}

FileDialogWidget* FileDialogWidget::Active() {
    while (!g_open.empty() && !g_open.back())
        g_open.pop_back();
    return g_open.empty() ? nullptr : g_open.back().data();
}

bool FileDialogWidget::Enter(std::u16string_view devicePath) {
    const auto host = HostFolder(devicePath);
    if (!host)
        return false;
    // The folder as the phone spells it, whatever the letter case it was asked for in.
    const fs::path root = platform::ThisDevice().FilesRoot();
    std::vector<std::u16string> parts;
    for (const auto& part : host->lexically_relative(root))
        if (part != ".")
            parts.push_back(Utf8ToUtf16(part.string()));
    m_folder = DevicePath(parts);

    std::vector<Entry> folders, files;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(*host, ec)) {
        const std::u16string name = Utf8ToUtf16(item.path().filename().string());
        std::error_code typeError;
        if (item.is_directory(typeError))
            folders.push_back({Entry::Folder, name});
        else if (item.is_regular_file(typeError) && MatchesFilter(name, m_request.filter))
            files.push_back({Entry::File, name});
    }
    const auto byName = [](const Entry& a, const Entry& b) {
        const std::u16string fa = FoldCase(a.name), fb = FoldCase(b.name);
        return fa != fb ? fa < fb : a.name < b.name;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    m_entries.clear();
    if (!parts.empty())
        m_entries.push_back({Entry::Up, u".."});
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());

    m_list->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon upIcon = style()->standardIcon(QStyle::SP_FileDialogToParent);
    for (const Entry& entry : m_entries)
        new QListWidgetItem(entry.kind == Entry::Up       ? upIcon
                            : entry.kind == Entry::Folder ? folderIcon
                                                          : fileIcon,
                            ToQt(entry.name), m_list);
    update();
    return true;
}

void FileDialogWidget::Activate(int row) {
    if (m_done || row < 0 || row >= static_cast<int>(m_entries.size()))
        return;
    const Entry entry = m_entries[static_cast<std::size_t>(row)];
    auto parts = platform::SplitDevicePath(m_folder);
    switch (entry.kind) {
    case Entry::Up:
        parts.pop_back();
        Enter(DevicePath(parts));
        break;
    case Entry::Folder:
        parts.push_back(entry.name);
        Enter(DevicePath(parts));
        break;
    case Entry::File:
        parts.push_back(entry.name);
        m_edit->setText(ToQt(DevicePath(parts)));
        break;
    }
}

std::u16string FileDialogWidget::Resolve(std::u16string_view typed) const {
    const bool fromRoot = std::any_of(typed.begin(), typed.end(), IsSeparator);
    std::vector<std::u16string> parts =
        fromRoot ? std::vector<std::u16string>{} : platform::SplitDevicePath(m_folder);
    for (auto& part : platform::SplitDevicePath(typed)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (!parts.empty()) // never above the root
                parts.pop_back();
            continue;
        }
        parts.push_back(std::move(part));
    }
    return DevicePath(parts);
}

void FileDialogWidget::Accept() {
    const std::u16string typed = Trimmed(m_edit->text().toStdU16String());
    if (typed.empty() || m_done)
        return;
    const std::u16string path = Resolve(typed);
    // A folder typed in is opened, as a tap on it would.
    if (Enter(path)) {
        m_edit->clear();
        return;
    }
    Finish(path);
}

void FileDialogWidget::Finish(std::optional<std::u16string> result) {
    if (!m_loop || m_done)
        return;
    m_done = true;
    m_result = std::move(result);
    m_loop->quit();
}

std::optional<std::u16string> FileDialogWidget::Exec() {
    g_open.emplace_back(this);
    RunOverlay(*this, m_loop, false, [this] { m_edit->setFocus(Qt::OtherFocusReason); });
    g_open.erase(std::remove(g_open.begin(), g_open.end(), QPointer<FileDialogWidget>(this)),
                 g_open.end());
    return m_result;
}

void FileDialogWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PhoneScreen::PaintNavBar(p, ToQt(m_request.title), false);

    const auto line = [&](const QRect& r, const QString& label, const QString& value) {
        p.setPen(Qt::black);
        p.drawText(QRect(r.left(), r.top(), kLabelWidth, r.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, label);
        const QRect rest = r.adjusted(kLabelWidth, 0, 0, 0);
        p.drawText(rest, Qt::AlignVCenter | Qt::AlignLeft,
                   fontMetrics().elidedText(value, Qt::ElideLeft, rest.width()));
    };
    line(kFolderLine, QStringLiteral("文件夹:"), ToQt(m_folder));
    line(kTypeLine, QStringLiteral("类型:"),
         ToQt(m_request.filterName.empty() ? m_request.filter : m_request.filterName));
    line(kNameLine, QStringLiteral("名称:"), QString());

    PhoneScreen::PaintMenuBar(p);
}

void FileDialogWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        Finish(std::nullopt);
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Accept();
}

// Taps beside the controls end here: nothing behind the dialog takes input while it shows.
void FileDialogWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void FileDialogWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace platform::gui

bool GetOpenFileName(OPENFILENAME& ofn) {
    using namespace platform::gui;
    std::optional<std::u16string> chosen;
    if (PhoneScreen* screen = PhoneScreen::Instance()) {
        FileDialogWidget dialog(
            screen, {ofn.title.str(), ofn.filterName.str(), ofn.filter.str(), ofn.file.str()});
        chosen = dialog.Exec();
    }
    if (!chosen || ofn.maxFile < 1 || chosen->size() > static_cast<std::size_t>(ofn.maxFile - 1)) {
        ofn.file.Empty();
        return false;
    }
    ofn.file = *chosen;
    return true;
}
