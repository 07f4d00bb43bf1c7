#include "log/FileLists.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace kestar::log {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr QDir::SortFlags kByName = QDir::Name | QDir::IgnoreCase;

QString native(const QString& path) {
  return QDir::toNativeSeparators(QDir::cleanPath(path));
}

// The root of the volume that holds path.
QString volumeRoot(const QString& path) {
  return native(QStorageInfo(path).rootPath());
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    // Mounted single files (as containers have) are no drives.
    if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
      roots << native(volume.rootPath());
  }
  roots.removeDuplicates();
  roots.sort(Qt::CaseInsensitive);
  addItems(roots);
  setDrive(QDir::currentPath());
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (Change) Change();
  });
}

QString DriveList::drive() const {
  return currentText();
}

void DriveList::setDrive(const QString& path) {
  const QString root = volumeRoot(path);
  int index = findText(root);
  if (index < 0) {
    addItem(root);
    index = count() - 1;
  }
  setCurrentIndex(index);
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
}

void DirList::addFolder(const QString& name, const QString& path, int depth) {
  auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, this);
  item->setData(kPathRole, path);
}

void DirList::setPath(const QString& path) {
  const QString chosen = native(QDir(path).absolutePath());
  const bool changed = chosen != path_;
  path_ = chosen;
  clear();
  // The open folders, from the root down.
  // Walked by name, not by changing into each folder: a folder gone since it was listed must not
  // stop the walk.
  QStringList chain;
  for (QString folder = QDir::fromNativeSeparators(path_);;) {
    chain.prepend(native(folder));
    const QString parent = QFileInfo(folder).path();
    if (parent == folder || QDir(folder).isRoot()) break;
    folder = parent;
  }
  int depth = 0;
  for (const QString& folder : chain) {
    const QString name = depth == 0 ? folder : QFileInfo(folder).fileName();
    addFolder(name, folder, depth++);
  }
  setCurrentRow(count() - 1);
  const QDir here(path_);
  for (const QString& name : here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, kByName))
    addFolder(name, native(here.filePath(name)), depth);
  if (changed && Change) Change();
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::setPath(const QString& path) {
  path_ = native(path);
  clear();
  addItems(QDir(path_).entryList(QDir::Files, kByName));
}

}  // namespace kestar::log
