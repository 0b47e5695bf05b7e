#pragma once

namespace Tolvane::Cli {

// The application id the demo's databases carry ("Tolv"), so the demo knows
// the files it may replace.
inline constexpr int kDemoApplicationId = 0x546F6C76;

// The schema and rows of the sample database: customers, products, orders and
// their items with foreign keys, an index, a view, a trigger, and a few
// thousand rows of varied types (integers, reals, texts with quotes and
// UTF-8, NULLs, blobs). The rows are computed, so every run makes the same data.
inline constexpr const char* kDemoScript = R"SQL(
PRAGMA foreign_keys = ON;
PRAGMA application_id = 1416588406;
BEGIN;
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
CREATE INDEX orders_by_customer ON orders(customer_id, ordered_at);
CREATE VIEW order_totals AS
  SELECT o.id AS order_id, c.name AS customer, o.ordered_at,
         sum(i.quantity * p.price) AS total, count(*) AS lines
  FROM orders o
  JOIN customers c ON c.id = o.customer_id
  JOIN order_items i ON i.order_id = o.id
  JOIN products p ON p.id = i.product_id
  GROUP BY o.id;
CREATE TRIGGER take_from_stock AFTER INSERT ON order_items
BEGIN
  UPDATE products SET stock = stock - NEW.quantity WHERE id = NEW.product_id;
END;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)
INSERT INTO customers (id, name, city, email, since, credit)
SELECT i,
       CASE i % 7 WHEN 0 THEN 'O''Brien ' || i WHEN 1 THEN 'Zoë Ångström ' || i WHEN 2 THEN '山田 ' || i
                  WHEN 3 THEN 'Dvořák ' || i ELSE 'Customer ' || i END,
       CASE i % 5 WHEN 0 THEN NULL WHEN 1 THEN 'Zürich' WHEN 2 THEN 'São Paulo' WHEN 3 THEN 'Kraków' ELSE 'Oslo' END,
       CASE WHEN i % 11 = 0 THEN NULL ELSE 'customer' || i || '@example.org' END,
       date('2019-01-01', '+' || (i * 3) || ' days'),
       round((i * 37 % 1000) / 7.0, 2)
FROM n;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120)
INSERT INTO products (id, title, price, stock, picture)
SELECT i,
       CASE i % 4 WHEN 0 THEN 'Widget "' || i || '"' WHEN 1 THEN 'Gadget ' || i WHEN 2 THEN 'Café mug №' || i
                  ELSE 'Tool ' || i END,
       round(((i * 7919) % 10000) / 100.0, 2),
       1000 + i,
       CASE WHEN i % 3 = 0 THEN NULL ELSE unhex('89504E470D0A1A0A' || printf('%016X', i * 2654435761)) END
FROM n;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO orders (customer_id, ordered_at, note)
SELECT (i * 13) % 500 + 1,
       datetime('2024-01-01 08:00:00', '+' || (i * 97) || ' minutes'),
       CASE WHEN i % 9 = 0 THEN 'deliver after 5 pm; ring twice' WHEN i % 13 = 0 THEN '' ELSE NULL END
FROM n;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO order_items (order_id, product_id, quantity)
SELECT i, (i * 31) % 120 + 1, i % 4 + 1 FROM n
UNION ALL
SELECT i, (i * 17 + 5) % 120 + 1, 1 FROM n WHERE i % 3 = 0 AND (i * 17 + 5) % 120 <> (i * 31) % 120;
COMMIT;
)SQL";

}  // namespace Tolvane::Cli
