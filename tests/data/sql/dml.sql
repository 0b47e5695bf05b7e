-- Statements that change rows.
insert into t values (1, 2, 3, 4, 5, 6);
insert into t (a, b) values (1, 'x'), (2, 'y');
INSERT INTO t SELECT * FROM t WHERE a > 1;
insert into t select a, b, c, d, x, y from t union all select 1, 2, 3, 4, 5, 6;
insert into t default values;
insert or replace into customers (id, name) values (1, 'A');
insert or ignore into customers (id, name) values (1, 'A');
replace into customers (id, name) values (2, 'B');
insert into customers (id, name, credit) values (3, 'C', 1.5)
  on conflict (id) do update set credit = excluded.credit + customers.credit where excluded.credit > 0;
insert into customers (id, name) values (4, 'D') on conflict do nothing;
insert into customers (id, name) values (5, 'E') returning id, name as who;
with src as (select 6 as id, 'F' as name) insert into customers (id, name) select id, name from src;
update t set a = 1, b = b + 1 where c = 3;
update or abort t set a = 1;
update products set stock = stock - o.q from (select product_id, sum(quantity) as q from order_items group by product_id) as o
  where products.id = o.product_id;
update customers set (name, city) = ('G', 'Oslo') where id = 7 returning *;
update t set a = case when b > 1 then 'big' else 'small' end;
delete from t where a = 1;
delete from t;
delete from orders where customer_id in (select id from customers where city = 'Oslo') returning id;
delete from t where rowid in (select rowid from t order by a limit 3);
insert into t (a) values ('it''s'), ('a   b'), ('line
break'), ('tab	in'), (x'00ff'), (X'CAFE'), (NULL), (-1.5e+3);
