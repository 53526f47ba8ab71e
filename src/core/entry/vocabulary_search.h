#pragma once
// The search over the vocabulary as the user types: by pinyin initials or by
// name, in vocabulary order, at most 51 results.
#include <optional>

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

// `category` is the box's tag: "0" searches every category.
SearchOutcome searchVocabulary(const AliasList& vocabulary, const QString& boxText, const QString& category,
                               bool resultListEmpty);

// The search as the user types: a key longer than two bytes is not searched
// again while it only extends a key that already matched nothing; any other
// key (a word committed at once by an input method, a key after a pick) is.
class VocabularySearch {
 public:
  SearchOutcome search(const AliasList& vocabulary, const QString& boxText, const QString& category);
  // After a pick the list is emptied and the next key is searched afresh.
  void reset() { lastKeyWithoutHits_.clear(); }

 private:
  QString lastKeyWithoutHits_;
  QString lastCategory_;
};

}  // namespace tcm
