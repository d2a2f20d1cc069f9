#pragma once

// The widget behind GetOpenFileName, for the parts of the platform that drive it.

#include "platform/shell/file_dialog.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gui {

// Whether a file name matches one of the patterns of a filter ("*.jpg|*.gif"; `;` may
// separate them as well), letter case aside. `*` stands for any run of characters, `?` for
// one. A filter without patterns matches every name.
bool MatchesFilter(std::u16string_view name, std::u16string_view filter);

class FileDialogWidget : public QWidget {
public:
    struct Request {
        std::u16string title, filterName, filter;
        std::u16string start; // a device path: the folder to start in, or a file in it
    };
    // Covers screen (the phone's screen), navigation and menu bars included.
    FileDialogWidget(QWidget* screen, Request request);

    // A line of the list: the way up, a sub-folder, or a file that matches the filter.
    struct Entry {
        enum Kind { Up, Folder, File } kind;
        std::u16string name;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    // The folder shown, as a device path ("\" for the root, "\My Documents" below it).
    const std::u16string& Folder() const { return m_folder; }
    // Its lines, as the list shows them: the way up (below the root), folders, files.
    const std::vector<Entry>& Entries() const { return m_entries; }
    QListWidget* List() const { return m_list; }
    QLineEdit* NameEdit() const { return m_edit; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    // The dialog showing now, if any.
    static FileDialogWidget* Active();

    // The device path chosen, or nothing when cancelled.
    std::optional<std::u16string> Exec();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Shows a folder; false (and nothing changes) when the path names none.
    bool Enter(std::u16string_view devicePath);
    void Activate(int row);
    // The edit field's text as a device path: a bare name is in the folder shown, a path
    // with a separator goes from the root whether or not it starts with one.
    std::u16string Resolve(std::u16string_view typed) const;
    void Accept();
    void Finish(std::optional<std::u16string> result);

    Request m_request;
    std::u16string m_folder;
    std::vector<Entry> m_entries;
    QListWidget* m_list;
    QLineEdit* m_edit;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::optional<std::u16string> m_result;
    bool m_done = false;
    QEventLoop* m_loop = nullptr; // while Exec runs
};

} // namespace platform::gui
