#pragma once
// The "姓名/电话后4位" boxes of the customer windows: which texts are searched
// at all, and whether a text asks for a name or for the end of a phone number.
#include <QString>
#include <optional>

namespace tcm {

// What a customer search says when it finds nobody.
inline const QString kNothingFound = QStringLiteral("没有找到");

// False for a text the customer searches ignore without a word: one holding a
// single quote, longer than 11 characters, or with a Latin letter A–Z in
// either case (pinyin typed into the box).
bool ChkSql(const QString& typed);

struct CustomerTextFilter {
  enum class Kind {
    Ignored,    // ChkSql refused the text: nothing is searched, nothing changes
    Name,       // customers whose name contains `name` (may be empty: every customer)
    TelEnding,  // customers whose phone ends in `tel1`
  };
  Kind kind = Kind::Ignored;
  QString name;               // Name: the trimmed text, to be matched literally (likeContains)
  std::optional<qint64> tel1;  // TelEnding: the first four characters as a number; none when they are
                               // not all digits, and such a search finds nothing
};

// A trimmed text starting with a digit searches the phone ending by its first
// four characters (fewer when shorter); any other text searches the name.
CustomerTextFilter customerTextFilter(const QString& typed);

// The number stored in `tel1` for a phone: its last four characters (all of it
// when shorter) when they are digits; none otherwise.
std::optional<qint64> phoneEnding(const QString& trimmedPhone);

}  // namespace tcm
