#pragma once

#include <QComboBox>
#include <QListWidget>
#include <functional>

namespace kestar::log {

// Paths are shown and given with the system's own separators ("C:\Logs" on Windows).

// The drive list: the machine's drives, or its mounted volumes where there are no drive letters.
class DriveList final : public QComboBox {
 public:
  explicit DriveList(QWidget* parent);

  // The root of the chosen drive.
  QString drive() const;
  // Chooses the drive that holds path.
  void setDrive(const QString& path);

  // Runs when another drive is chosen.
  std::function<void()> Change;
};

// The folder list: the folders from the drive's root down to the chosen one, then the chosen
// one's subfolders. Activating a folder (double click, Enter) chooses it.
class DirList final : public QListWidget {
 public:
  explicit DirList(QWidget* parent);

  QString path() const { return path_; }
  // Chooses a folder and lists it; runs Change when the folder is another one.
  void setPath(const QString& path);

  std::function<void()> Change;

 private:
  void addFolder(const QString& name, const QString& path, int depth);

  QString path_;
};

// The file list: the names of the files in a folder.
class FileList final : public QListWidget {
 public:
  explicit FileList(QWidget* parent);

  QString path() const { return path_; }
  void setPath(const QString& path);

 private:
  QString path_;
};

}  // namespace kestar::log
