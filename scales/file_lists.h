// The pattern window's browsing controls: a list of the mounted volumes (the "drives"), the
// folders of the chosen volume around the current folder, and the files of the current folder
// whose names match a pattern such as "*.stp" in any letter case.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace korvalin {

// The mounted volumes that can be read, each by its root path (and its name, where it has one).
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);
    // Lists the volumes afresh, keeping the chosen one.
    void Refresh();
    // Root path of the chosen volume ("" when none).
    QString drive() const;
    // Chooses the volume that holds `path` without telling anyone (no change event).
    void ShowVolumeOf(const QString& path);
};

// The folder list: the current folder with every folder above it, each under its parent, and the
// folders inside it below. Activating an entry (double click or Enter) makes it the current folder.
class FolderList : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);
    QString path() const { return path_; }
    // Makes `folder` current and lists it. False (and nothing changes) when it is not a folder
    // that can be listed.
    bool setPath(const QString& folder);
    // Lists the current folder again (folders may have come or gone).
    void Refresh();
    // The absolute path an entry stands for.
    static QString EntryPath(const QTreeWidgetItem* item);

signals:
    void pathChanged();

private:
    void Fill();
    QString path_;
};

// The file list: the plain files of a folder whose names match the patterns, sorted by name.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);
    QString path() const { return path_; }
    void setPath(const QString& folder); // lists the folder; the selection is cleared
    void setPattern(const QStringList& patterns);
    QStringList pattern() const { return patterns_; }
    // The chosen file's name without its folder ("" when none is chosen).
    QString fileName() const;
    // Chooses a file by name; false when the list does not hold it.
    bool selectFile(const QString& name);
    // Lists the folder again, keeping the chosen file when it is still there.
    void Refresh();

private:
    void Fill();
    QString path_;
    QStringList patterns_;
};

} // namespace korvalin
