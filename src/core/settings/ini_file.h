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
  // Reads the file; a missing or unreadable file reads as empty.
  void load();
  QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
  bool contains(const QString& section, const QString& key) const;
  void setValue(const QString& section, const QString& key, const QString& value);
  // Writes the file (creating it); false when it cannot be written.
  [[nodiscard]] bool save() const;

  const QString& path() const { return path_; }

 private:
  // Index of the line holding the key in the section, or -1.
  qsizetype findKey(const QString& section, const QString& key) const;
  // Index of the section header, or -1.
  qsizetype findSection(const QString& section) const;

  QString path_;
  QStringList lines_;
};

}  // namespace tcm
