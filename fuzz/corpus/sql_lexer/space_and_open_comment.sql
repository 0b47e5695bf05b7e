SELECT 1	
;/* open