-- The queries of the demo's tour.
SELECT customer, count(*) AS orders, round(sum(total), 2) AS spent FROM order_totals GROUP BY customer ORDER BY spent DESC LIMIT 5;
SELECT c.id, c.name, c.city, c.credit, p.title, p.price, p.picture FROM customers c JOIN products p ON p.id = c.id WHERE c.id BETWEEN 10 AND 16;
SELECT count(*) FROM orders; UPDATE products SET stock = stock + 1 WHERE id <= 3; -- the end
DELETE FROM order_items;
SELECT count(*) FROM order_items;
SELECT * FROM order_totals LIMIT 10;
SELECT count(*) FROM customers;
