-- The tables, views and functions the other files of this folder use, so
-- that whether a statement prepares says something about the statement.
CREATE TABLE customers (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  city TEXT,
  email TEXT UNIQUE,
  since DATE,
  credit REAL DEFAULT 0.0
);
CREATE TABLE products (
  id INTEGER PRIMARY KEY,
  title TEXT NOT NULL,
  price REAL NOT NULL CHECK (price >= 0),
  stock INTEGER NOT NULL DEFAULT 0,
  picture BLOB
);
CREATE TABLE orders (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  customer_id INTEGER NOT NULL REFERENCES customers(id) ON DELETE CASCADE,
  ordered_at TEXT NOT NULL,
  note TEXT
);
CREATE TABLE order_items (
  order_id INTEGER NOT NULL REFERENCES orders(id) ON DELETE CASCADE,
  product_id INTEGER NOT NULL REFERENCES products(id),
  quantity INTEGER NOT NULL CHECK (quantity > 0),
  PRIMARY KEY (order_id, product_id)
);
CREATE TABLE books (id INTEGER PRIMARY KEY, title TEXT, author TEXT, year INT, "order by" TEXT, [a'b] TEXT,
                    `x y` TEXT, "select" INT, "Straße" TEXT);
CREATE TABLE t (a, b, c, d, x, y);
CREATE TABLE u (a, b, c, id);
CREATE TABLE "group" ("from" TEXT, "where" TEXT, [key] INT);
CREATE TABLE words (myselect, selected, union_all, by_x, on_time);
CREATE TABLE events (id INTEGER PRIMARY KEY, kind TEXT, at TEXT, amount REAL, payload TEXT);
CREATE TABLE 名前 (列 TEXT, värde REAL);
CREATE VIEW order_totals AS
  SELECT o.id AS order_id, c.name AS customer, o.ordered_at,
         sum(i.quantity * p.price) AS total, count(*) AS lines
  FROM orders o
  JOIN customers c ON c.id = o.customer_id
  JOIN order_items i ON i.order_id = o.id
  JOIN products p ON p.id = i.product_id
  GROUP BY o.id;
CREATE INDEX orders_by_customer ON orders(customer_id, ordered_at);
CREATE TRIGGER take_from_stock AFTER INSERT ON order_items
BEGIN
  UPDATE products SET stock = stock - NEW.quantity WHERE id = NEW.product_id;
END;
CREATE VIRTUAL TABLE notes USING fts5(title, body);
CREATE VIRTUAL TABLE boxes USING rtree(id, min_x, max_x, min_y, max_y);
