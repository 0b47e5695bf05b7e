-- Statements that change the schema.
create table if not exists people (
  id integer primary key autoincrement,
  name text not null collate nocase,
  born date check (born > '1900-01-01'),
  email text unique on conflict replace,
  boss integer references people(id) on delete set null on update cascade deferrable initially deferred,
  full_name text generated always as (name || ' ' || email) virtual,
  slug text as (lower(name)) stored,
  constraint name_ok check (length(name) > 0),
  unique (name, born),
  foreign key (boss) references people (id)
);
create temp table scratch (k text primary key, v) without rowid;
create table strict_one (a integer, b text, c any) strict;
create table copied as select * from t where 0;
create unique index if not exists people_by_name on customers (name collate nocase desc, since) where since is not null;
create index people_by_expr on customers (lower(name), since + 1);
create view if not exists busy (customer, orders) as select customer_id, count(*) from orders group by customer_id;
create temp view recent as select * from orders where ordered_at > date('now', '-7 days');
create trigger if not exists people_stamp before update of name on customers for each row when new.name <> old.name
begin
  insert into t (a, b) values (old.name, new.name);
  update t set c = 1 where a = old.name;
  select raise(abort, 'no') where new.name = 'x';
end;
create trigger busy_insert instead of insert on order_totals begin insert into orders (customer_id, ordered_at) values (new.order_id, 'now'); end;
create trigger gone after delete on customers begin delete from t where a = old.id; end;
create virtual table if not exists docs using fts5(title, body, tokenize = 'porter unicode61');
alter table books rename to volumes;
alter table t rename column a to aa;
alter table "group" rename column "from" to [to];
alter table t add column z text default 'none' not null;
alter table t drop column d;
drop table if exists scratch;
drop table books;
drop view if exists recent;
drop view order_totals;
drop index if exists people_by_expr;
drop index orders_by_customer;
drop trigger if exists gone;
drop trigger take_from_stock;
