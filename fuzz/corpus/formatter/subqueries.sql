select * from (select a, (select max(b) from t2 where t2.a = t1.a) m from t1) x where m in (select m from t3 union all select 1) order by 1;
