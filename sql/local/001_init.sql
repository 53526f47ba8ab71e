-- Local database: the symptom vocabulary (names enciphered), the questions of
-- each disease and the negative findings. Read only for the client.

CREATE TABLE aliases (
  id INTEGER,
  name1 TEXT NOT NULL,
  pinyin TEXT DEFAULT '',
  ids TEXT DEFAULT '',
  classid INTEGER DEFAULT 0,
  mutex TEXT DEFAULT '',
  gender TEXT DEFAULT '3',
  type INTEGER NOT NULL DEFAULT 1,
  strLen INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX ix_aliases_load ON aliases (type, classid, strLen);

CREATE TABLE symptom_option_sub (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  fid INTEGER,
  title TEXT,
  symId TEXT,
  gender TEXT,
  name TEXT,
  mutex TEXT,
  childTag TEXT,
  classId TEXT
);
CREATE INDEX ix_local_option_sub_fid ON symptom_option_sub (fid);

CREATE TABLE negative_symptom (
  symptomId INTEGER PRIMARY KEY,
  negativeSymptomId INTEGER NOT NULL
);
