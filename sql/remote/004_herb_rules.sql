-- What a pharmacy checks before it dispenses, as the seed gives it: each
-- catalogue herb's pinyin initials, usual dose, daily range of the
-- pharmacopoeia (grams, empty for foods), dispensing note, toxicity and
-- pregnancy mark (0 none, 1 慎用, 2 禁用); the incompatible pairs of 十八反 and
-- 十九畏 (each side the names of one group joined by "|"); and the warnings a
-- visit's prescription was saved with after the clerk confirmed them.
CREATE TABLE herb_rule (
  id INTEGER PRIMARY KEY,
  pinyin TEXT NOT NULL DEFAULT '',
  usualDose TEXT NOT NULL DEFAULT '',
  doseMin TEXT NOT NULL DEFAULT '',
  doseMax TEXT NOT NULL DEFAULT '',
  note TEXT NOT NULL DEFAULT '',
  toxic INTEGER NOT NULL DEFAULT 0,
  pregnancy INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE herb_pair (
  id INTEGER PRIMARY KEY,
  kind TEXT NOT NULL,
  firstNames TEXT NOT NULL,
  secondNames TEXT NOT NULL
);

CREATE TABLE pat_med_note (
  shopId INTEGER NOT NULL,
  patId INTEGER NOT NULL,
  MZNO TEXT NOT NULL,
  side TEXT NOT NULL,
  note TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (shopId, patId, MZNO, side)
);
