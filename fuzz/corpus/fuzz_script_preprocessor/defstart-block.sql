// The columns come from a block, the date from the clock.
DEFSTART COLS ignored words
  O.ORDER_NO, O.TOTAL,
  O.ORDERED_ON
  defend here
define  tbl   orders  x
SELECT[COLS], '[DATE] [TIME]' AS RUN_AT, '[USERNAME]@[COMPUTERNAME]' AS BY_WHOM
  FROM [tbl] O WHERE O.ORDERED_ON < '[NOW]'
;[TBL]_COPY KEEP
SELECT * FROM [TBL]_COPY
