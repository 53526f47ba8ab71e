-- A visit is one row per shop, customer and visit number: two counters saving
-- into the same visit at once meet on this key instead of making two rows.
CREATE UNIQUE INDEX ux_pat_med_visit ON pat_med (shopId, patId, MZNO);
