-- Remote database: accounts, shops, customers, visits, prices and the knowledge base.
-- Shared by every shop; every per-shop row carries the shop's id.

CREATE TABLE shop (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL DEFAULT '',
  tel TEXT DEFAULT '',
  contactName TEXT DEFAULT '',
  address TEXT DEFAULT '',
  img TEXT DEFAULT ''
);

CREATE TABLE [user] (
  id {{ID}},
  shopId INTEGER NOT NULL,
  shopName TEXT NOT NULL DEFAULT '',
  name TEXT NOT NULL DEFAULT '',
  userid TEXT NOT NULL,
  pwd TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX ix_user_userid ON [user] (userid);

CREATE TABLE log (
  id {{ID}},
  userid TEXT,
  ip TEXT,
  wrDate {{DATETIME}} DEFAULT CURRENT_TIMESTAMP
);

CREATE TABLE version (
  version TEXT NOT NULL,
  flag INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE herb (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL
);
CREATE INDEX ix_herb_name ON herb (name);

CREATE TABLE herb_shop (
  shopId INTEGER NOT NULL,
  id INTEGER NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  price {{MONEY}} NOT NULL DEFAULT 0,
  stock {{MONEY}} NOT NULL DEFAULT 0,
  PRIMARY KEY (shopId, id)
);

CREATE TABLE pat (
  PatId {{ID}},
  shopId INTEGER NOT NULL,
  Name TEXT NOT NULL DEFAULT '',
  Gender TEXT DEFAULT '',
  Age TEXT DEFAULT '',
  Tel TEXT DEFAULT '',
  tel1 INTEGER,
  Address TEXT DEFAULT '',
  wrDate {{DATETIME}},
  bodyType TEXT DEFAULT '',
  disease TEXT DEFAULT '',
  dm TEXT DEFAULT ''
);
CREATE INDEX ix_pat_shop_name ON pat (shopId, Name);
CREATE INDEX ix_pat_shop_tel1 ON pat (shopId, tel1);

CREATE TABLE pat_med (
  id {{ID}},
  shopId INTEGER NOT NULL,
  MZNO TEXT NOT NULL DEFAULT '',
  patId INTEGER NOT NULL,
  Disease TEXT DEFAULT '',
  bl TEXT DEFAULT '',
  symIds TEXT DEFAULT '',
  Herb TEXT DEFAULT '',
  HerbIds TEXT DEFAULT '',
  herbPrice {{MONEY}} DEFAULT 0,
  herbStockState INTEGER DEFAULT 0,
  food TEXT DEFAULT '',
  foodIds TEXT DEFAULT '',
  foodPrice {{MONEY}} DEFAULT 0,
  foodStockState INTEGER DEFAULT 0,
  wrDate {{DATETIME}}
);
CREATE INDEX ix_pat_med_shop_mzno ON pat_med (shopId, MZNO);
CREATE INDEX ix_pat_med_shop_pat ON pat_med (shopId, patId);

CREATE TABLE syn_food (
  ID INTEGER PRIMARY KEY,
  Name TEXT,
  [OR] TEXT,
  Weight TEXT,
  SymIdStr TEXT,
  DifferentialDiagnosisIdStr TEXT,
  CardinalSymptomIdStr TEXT,
  SymModIdStr TEXT,
  Dep1 TEXT,
  Dep2 TEXT,
  HintContent TEXT,
  NegativeSymIdStr TEXT,
  DecWeightSymIdStr TEXT,
  MatchModFlag TEXT,
  ModPreIdStr TEXT,
  Tre TEXT,
  Pre TEXT,
  AcuId INTEGER,
  notRecommendFood TEXT,
  recommendFood TEXT,
  IsOpen INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE pre (
  PreId INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  herbIds TEXT NOT NULL DEFAULT ''
);

CREATE TABLE pre_food_grp (
  id INTEGER PRIMARY KEY,
  synName TEXT,
  type INTEGER,
  pre TEXT,
  ids TEXT,
  symId INTEGER,
  symLen INTEGER
);
CREATE INDEX ix_pre_food_grp_sym ON pre_food_grp (symId, type);

CREATE TABLE symptom_option (
  id {{ID}},
  class TEXT,
  title TEXT,
  symId TEXT,
  gender TEXT,
  name TEXT,
  mutex TEXT,
  childTag TEXT,
  classId TEXT
);
CREATE INDEX ix_symptom_option_class ON symptom_option (class);

CREATE TABLE symptom_option_sub (
  id {{ID}},
  fid INTEGER,
  tag INTEGER,
  gender INTEGER,
  symid TEXT,
  name TEXT,
  mutex TEXT
);
CREATE INDEX ix_symptom_option_sub_fid ON symptom_option_sub (fid, tag);

CREATE TABLE tbltree (
  tblname TEXT NOT NULL,
  tree TEXT NOT NULL DEFAULT ''
);
