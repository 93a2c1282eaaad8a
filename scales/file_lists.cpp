#include "scales/file_lists.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMap>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

namespace korvalin {
namespace {

QString Clean(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// A folder the list can open: it exists, and its entries may be read and opened.
bool CanList(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

// ---------------------------------------------------------------------------------------------

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Refresh();
}

void DriveList::Refresh() {
    const QString keep = drive();
    // One entry per mount point (the last volume mounted there is the one seen), in path order.
    QMap<QString, QString> volumes;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady()) continue;
        const QString root = v.rootPath();
        if (!QFileInfo(root).isDir()) continue; // a single file mounted in place
        volumes.insert(root, v.displayName());
    }
    const QSignalBlocker quiet(this);
    clear();
    for (auto it = volumes.cbegin(); it != volumes.cend(); ++it) {
        const QString& root = it.key();
        const QString& name = it.value();
        addItem(name.isEmpty() || name == root ? root : QStringLiteral("%1 (%2)").arg(root, name), root);
        setItemData(count() - 1, root, Qt::ToolTipRole);
    }
    const int kept = findData(keep);
    setCurrentIndex(kept >= 0 ? kept : (count() > 0 ? 0 : -1));
}

QString DriveList::drive() const { return currentIndex() >= 0 ? currentData().toString() : QString(); }

void DriveList::ShowVolumeOf(const QString& path) {
    const QString root = QStorageInfo(path).rootPath();
    if (root.isEmpty()) return;
    if (findData(root) < 0) Refresh(); // mounted since the list was made
    const int index = findData(root);
    if (index < 0) return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

// ---------------------------------------------------------------------------------------------

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(8);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Opening an entry rebuilds the list, so it happens once the activating event is over.
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString target = EntryPath(item);
        QMetaObject::invokeMethod(this, [this, target] { setPath(target); }, Qt::QueuedConnection);
    });
}

QString FolderList::EntryPath(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

bool FolderList::setPath(const QString& folder) {
    if (folder.isEmpty() || !CanList(folder)) return false;
    const QString clean = Clean(folder);
    const bool changed = clean != path_;
    path_ = clean;
    Fill();
    if (changed) emit pathChanged();
    return true;
}

void FolderList::Refresh() {
    if (!path_.isEmpty()) Fill();
}

void FolderList::Fill() {
    clear();
    // The folders from the top of the tree down to the current one, each inside the one before.
    QStringList chain;
    for (QDir d(path_);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp()) break;
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* current = nullptr;
    for (const QString& p : chain) {
        auto* item = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(this);
        const QString name = QDir(p).isRoot() ? QDir::toNativeSeparators(p) : QFileInfo(p).fileName();
        item->setText(0, name);
        item->setToolTip(0, p);
        item->setData(0, Qt::UserRole, p);
        item->setIcon(0, open);
        current = item;
    }
    const QFileInfoList inside = QDir(path_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                           QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& f : inside) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, f.fileName());
        item->setToolTip(0, f.absoluteFilePath());
        item->setData(0, Qt::UserRole, Clean(f.absoluteFilePath()));
        item->setIcon(0, closed);
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current, QAbstractItemView::PositionAtTop);
}

// ---------------------------------------------------------------------------------------------

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false); // the folder listing already comes sorted
}

void FileList::setPattern(const QStringList& patterns) {
    patterns_ = patterns;
    Fill();
}

void FileList::setPath(const QString& folder) {
    path_ = folder.isEmpty() ? QString() : Clean(folder);
    Fill();
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? QString() : chosen.front()->text();
}

bool FileList::selectFile(const QString& name) {
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text() == name) {
            setCurrentRow(i);
            return true;
        }
    }
    return false;
}

void FileList::Refresh() {
    const QString keep = fileName();
    const QSignalBlocker quiet(this);
    Fill();
    if (!keep.isEmpty()) selectFile(keep);
}

void FileList::Fill() {
    clear();
    if (path_.isEmpty()) return;
    // Name patterns of a folder listing match regardless of letter case unless told otherwise.
    const QStringList names =
        QDir(path_).entryList(patterns_, QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        auto* entry = new QListWidgetItem(name, this);
        entry->setToolTip(name);
    }
}

} // namespace korvalin
