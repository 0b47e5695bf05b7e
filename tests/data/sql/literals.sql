/* Literals, quoted names and comments of every kind, placed where the
   layout rules would otherwise reach into them: select, from, and, union all,
   'quotes', "double quotes", [brackets], `back ticks`, ~::~ and , ( ) */
-- A line comment with a quote ' and a keyword: select * from t where
SELECT id -- the key
     , title FROM books;
select id, -- first
       title -- second
  from books -- third
 where year > 1900; -- after the statement
select a -- note
from t;
select 'a   b', 'select x, y', 'it''s', '', '''', 'x -- not a comment', '/* nor this */' from t;
select 'line one
line two', 'tab	tab', 'trailing   ' from t;
select 'union all select' union all select 'a and b';
select "order by", "a""b", "select  from" from books;
select [a'b], `x y`, [order by] from books;
select "  spaced  name  " from t;
select x'00FF', X'cafe', x'' from t;
select ?, ?7, :name, @at, $dollar, $tcl::var(x), :a from t;
select 1.0, 1e5, 1E+5, .25, 0x7fffffffffffffff, 9223372036854775808, 1_000 from t;
select a/* glued */from/*again*/t;
select a /* one */ , /* two */ b from t where /* three */ a = 1 /* four */ and b = 2;
select a
  -- on a line of its own
  from t
  /* a block
     over lines */
  where a = 1;
-- before a statement
select 1;
/* after everything */
select 'a' || 'b' as "x y", [x y] from books where 'and' = 'and ' and "select" = 'select';
select a from t where b = '~::~' and c = 'x~::~y';
select a from t where b = 'WHERE a = 1 AND b = 2';
select 'ü ä ö', 'Зд', '漢字', '🙂' from t;
select t."select" from books as t;
select myselect, selected, union_all, by_x from words;
select * from words order by by_x;
select a from t where a in ('x','y') and b between 'a' and 'z';
select "x"from t;
select 'x'from t;
select x'00'from t;
select 1 -- trailing comment without a line break after it
