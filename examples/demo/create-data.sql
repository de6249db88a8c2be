// The demo database: customers, the items they buy, and their orders.
// Every kind of column a query can meet is here: whole numbers, reals,
// money, dates, times, date-times, yes/no values, text and notes.
CREATE TABLE CUSTOMERS (CUSTOMER_ID INTEGER PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30), COUNTRY VARCHAR(20), SINCE DATE, CREDIT_LIMIT CURRENCY, ACTIVE BOOLEAN, NOTES MEMO)
;
INSERT INTO CUSTOMERS VALUES
  (1, 'Müller & Söhne GmbH', 'München', 'Germany', '2009-03-14', 25000, 1, 'Prefers delivery before noon.'),
  (2, 'Café "Le Petit Zinc"', 'Paris', 'France', '2015-11-02', 4000, 1, NULL),
  (3, 'O''Brien Hardware', 'Cork', 'Ireland', '2012-06-30', 12000, 1, 'Ask for Siobhán at the counter.'),
  (4, 'Nordlys Fiskeri AS', 'Tromsø', 'Norway', '2018-01-22', 30000, 1, 'Invoices in NOK only.'),
  (5, 'Ørsted Bageri', 'Århus', 'Denmark', '2020-09-05', 2500, 0, 'Account closed after the move.'),
  (6, 'Smith & Daughters Ltd', 'Leeds', 'United Kingdom', '2007-04-11', 18000, 1, NULL),
  (7, 'Łódź Elektro Sp. z o.o.', 'Łódź', 'Poland', '2016-07-19', 9000, 1, 'Two loading bays; call ahead.'),
  (8, 'Peña Distribuciones', 'Sevilla', 'Spain', '2011-02-28', 15000, 1, NULL),
  (9, 'Kowalczyk "Quick" Repairs', 'Kraków', 'Poland', '2021-12-01', 1500, 1, 'New customer: cash on delivery.'),
  (10, 'Håkansson Trä AB', 'Göteborg', 'Sweden', '2014-05-16', 22000, 1, NULL),
  (11, 'Zürcher Uhrenwerk AG', 'Zürich', 'Switzerland', '2010-10-10', 40000, 1, 'Fragile goods: double boxes.'),
  (12, 'Açores Frutas Lda', 'Ponta Delgada', 'Portugal', '2019-03-03', 6000, 0, NULL)
;
CREATE TABLE ITEMS (ITEM_NO SMALLINT PRIMARY KEY, DESCRIPTION VARCHAR(40), UNIT_PRICE CURRENCY, WEIGHT_KG FLOAT, IN_STOCK BOOLEAN)
;
INSERT INTO ITEMS VALUES
  (101, 'Brass hinge, 75 mm', 3.85, 0.12, 1),
  (102, 'Oak shelf board 1.2 m', 24.5, 4.8, 1),
  (103, 'Wall bracket "Heavy"', 7.2, 0.55, 1),
  (104, 'Wood screws 4x40 (200)', 11.9, 0.9, 1),
  (105, 'Cordless drill 18 V', 129, 1.75, 0),
  (106, 'Spirit level 60 cm', 18.75, 0.6, 1),
  (107, 'Paint roller set', 14.3, 0.45, 1),
  (108, 'Workbench, beech top', 349, 38.5, 0),
  (109, 'Safety goggles', 6.4, 0.08, 1),
  (110, 'Tape measure 5 m', 8.95, 0.25, 1)
;
CREATE TABLE ORDERS (ORDER_NO INTEGER PRIMARY KEY, CUSTOMER_ID INTEGER, ITEM_NO SMALLINT, QUANTITY INTEGER, ORDERED_ON DATE, DELIVERY_FROM TIME, SHIPPED_AT DATETIME, TOTAL CURRENCY, PAID BOOLEAN, REMARKS MEMO)
;
INSERT INTO ORDERS SELECT 1000 + N.I, 1 + (N.I * 7) % 12, 101 + (N.I * 3) % 10, 1 + (N.I * 13) % 40,
  date('2024-01-02', '+' || (N.I * 5) || ' days'),
  time('07:30', '+' || ((N.I % 8) * 45) || ' minutes'),
  CASE WHEN N.I % 6 = 0 THEN NULL ELSE datetime('2024-01-03 08:15:00', '+' || (N.I * 5) || ' days', '+' || (N.I % 9) || ' hours') END,
  ROUND((1 + (N.I * 13) % 40) * ITEMS.UNIT_PRICE, 2),
  N.I % 4 <> 0,
  CASE WHEN N.I % 10 = 0 THEN 'Customer asked for a split delivery.' WHEN N.I % 7 = 0 THEN 'Re-packed after damage in transit; see note "B7".' ELSE NULL END
  FROM (WITH RECURSIVE C(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM C WHERE I < 60) SELECT I FROM C) N
  JOIN ITEMS ON ITEMS.ITEM_NO = 101 + (N.I * 3) % 10
