#pragma once
// A sectioned key=value settings file. Sections and keys are matched without
// regard to letter case; writing keeps the rest of the file as it was.
#include <QString>
#include <QStringList>

namespace tcm {

class IniFile {
 public:
  explicit IniFile(QString path);

  bool exists() const;
  // Reads the file whole; a missing file reads as empty. A file that cannot be
  // read whole (unreadable, or far too large) reads as empty and is never rewritten.
  void load();
  QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
  bool contains(const QString& section, const QString& key) const;
  // Line breaks in the value are dropped: a value is one line of the file.
  void setValue(const QString& section, const QString& key, const QString& value);
  // Writes the file (creating it); false when it cannot be written or was not read whole.
  [[nodiscard]] bool save() const;

  const QString& path() const { return path_; }

 private:
  // Index of the line holding the key in the section, or -1.
  qsizetype findKey(const QString& section, const QString& key) const;
  // Index of the section header, or -1.
  qsizetype findSection(const QString& section) const;

  QString path_;
  QStringList lines_;
  bool readWhole_ = true;
};

}  // namespace tcm
