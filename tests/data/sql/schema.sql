-- The tables the other files of this folder use beside those of the demo's
-- script (customers, products, orders, order_items, the view order_totals,
-- an index and a trigger), so that whether a statement prepares says
-- something about the statement.
CREATE TABLE books (id INTEGER PRIMARY KEY, title TEXT, author TEXT, year INT, "order by" TEXT, [a'b] TEXT,
                    `x y` TEXT, "select" INT, "Straße" TEXT);
CREATE TABLE t (a, b, c, d, x, y);
CREATE TABLE u (a, b, c, id);
CREATE TABLE "group" ("from" TEXT, "where" TEXT, [key] INT);
CREATE TABLE words (myselect, selected, union_all, by_x, on_time);
CREATE TABLE events (id INTEGER PRIMARY KEY, kind TEXT, at TEXT, amount REAL, payload TEXT);
CREATE TABLE 名前 (列 TEXT, värde REAL);
CREATE VIRTUAL TABLE notes USING fts5(title, body);
CREATE VIRTUAL TABLE boxes USING rtree(id, min_x, max_x, min_y, max_y);
