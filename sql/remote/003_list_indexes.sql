-- The customer and visit lists read a shop's rows by date in id order, step
-- after step, and the visit view a customer's latest visits: the date indexes
-- carry the id, and the visits have an index by customer and id. Databases made
-- before these lists lose the date indexes without the id.
DROP INDEX IF EXISTS ix_pat_shop_date;
CREATE INDEX ix_pat_shop_date_id ON pat (shopId, wrDate, PatId);
DROP INDEX IF EXISTS ix_pat_med_shop_date;
CREATE INDEX ix_pat_med_shop_date_id ON pat_med (shopId, wrDate, id);
CREATE INDEX ix_pat_med_pat_id ON pat_med (patId, id);
