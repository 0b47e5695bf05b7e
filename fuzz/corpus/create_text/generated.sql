create table gen (a int, b int generated always as (a * 2) virtual, c text as (upper(d)) stored, d text, `select` blob);
