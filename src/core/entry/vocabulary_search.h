#pragma once
// The search over the vocabulary as the user types: by pinyin initials or by
// name, in vocabulary order, at most 51 results.
#include <optional>
#include <vector>

#include "entry/vocabulary.h"

namespace tcm {

inline constexpr int kMaxSearchResults = 51;

// One result line: the finding's name and a copy of id, classId and mutex.
struct SearchHit {
  QString name;
  TAliease entry;
};

// The search key of a box text: trimmed, upper case, cut to 255 GBK bytes.
// `gbkLength` receives its length in GBK bytes.
QString searchKey(const QString& boxText, int* gbkLength);

// What a keystroke does to the result list.
enum class SearchAction {
  HidePopup,  // empty key
  KeepList,   // a key longer than 2 bytes while the list is empty: no new search
  Show,       // the new results
};

struct SearchOutcome {
  SearchAction action = SearchAction::HidePopup;
  QList<SearchHit> hits;
};

// The vocabulary's pinyin initials and names as one text, so that a key is
// looked for in a single pass over contiguous memory instead of two searches
// per entry. It belongs to the list it was made from while that list keeps its
// storage and length (a list is loaded once and then only read).
class VocabularyIndex {
 public:
  explicit VocabularyIndex(const AliasList& vocabulary);
  bool isFor(const AliasList& vocabulary) const {
    return vocabulary.constData() == data_ && vocabulary.size() == size_;
  }
  // Positions of the entries whose pinyin or name holds `key`, in list order,
  // of `category` ("0": any), at most `limit`. Nullopt for a key holding one of
  // the index's separators (the plain scan answers it).
  std::optional<QList<qsizetype>> find(const AliasList& vocabulary, const QString& key, const QString& category,
                                       qsizetype limit) const;

 private:
  QString text_;                   // per entry: pinyin, unit separator, name, record separator
  std::vector<qsizetype> starts_;  // where each entry begins in text_
  std::vector<quint32> counts_;    // how often each UTF-16 unit occurs in text_
  const AliasItem* data_ = nullptr;
  qsizetype size_ = 0;
};

// `category` is the box's tag: "0" searches every category. With `index` (made
// from `vocabulary`) the search is one pass over its text; the results are the same.
SearchOutcome searchVocabulary(const AliasList& vocabulary, const QString& boxText, const QString& category,
                               bool resultListEmpty, const VocabularyIndex* index = nullptr);

// The search as the user types: a key longer than two bytes is not searched
// again while it only extends a key that already matched nothing; any other
// key (a word committed at once by an input method, a key after a pick) is.
class VocabularySearch {
 public:
  SearchOutcome search(const AliasList& vocabulary, const QString& boxText, const QString& category);
  // After a pick the list is emptied and the next key is searched afresh.
  void reset() { lastKeyWithoutHits_.clear(); }

 private:
  const VocabularyIndex& indexFor(const AliasList& vocabulary);

  std::optional<VocabularyIndex> index_;
  QString lastKeyWithoutHits_;
  QString lastCategory_;
};

}  // namespace tcm
