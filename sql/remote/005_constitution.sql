-- The national constitution questionnaire of a customer, kept with the visit it
-- was answered in: the form, the answers ("question:answer" joined by ","), the
-- judged score of each of the nine types ("平和质:75.0" joined by ","), the
-- judgement line and when it was saved.
CREATE TABLE constitution (
  id {{ID}},
  shopId INTEGER NOT NULL,
  patId INTEGER NOT NULL,
  MZNO TEXT NOT NULL DEFAULT '',
  form TEXT NOT NULL,
  gender TEXT DEFAULT '',
  answers TEXT NOT NULL,
  scores TEXT NOT NULL,
  judgement TEXT NOT NULL,
  wrDate {{DATETIME}}
);
CREATE INDEX ix_constitution_pat ON constitution (shopId, patId, id);
