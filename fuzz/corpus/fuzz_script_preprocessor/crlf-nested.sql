// CR LF line ends, quoted terminators and nested macros
DEFINE MINIMUM 100
DEFINE INNER X[MINIMUM]
DEFINE LEADING [MINIMUM]Y
DEFINE EMPTY

  Select  'a;'  ;  [ Minimum ], [INNER], [LEADING]
	from t where s = '[' || x || ']' [EMPTY][MINIMUM][EMPTY]
;
SELECT [[MINIMUM]] [MINIMUM]] ] a [ b [MINIMUM
