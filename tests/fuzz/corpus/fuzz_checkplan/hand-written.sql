 INSERT INTO npc (name, `idTemplate`, id, sex, level, radius)
VALUES ('Торговец', 31, 950, 'FEMALE ', 99.5, 1e3), /* второй */
  ('Мила', 32,
   31, 2, -128, -0.0),
  ("Кузнец \"Молот\"", 31, 951, 'etc', DEFAULT, NULL);
INSERT INTO merchant_buylists (shop_id, `order`, item_id) VALUES (9, 1, 1), (9, 1, 2);
INSERT INTO merchant_buylists (item_id, price) VALUES (57, 99999999999.999), (0x39, X'3031'), (0b101, b'1');
INSERT INTO shop_titles VALUES (NULL, 'новое'), (0, ''), (1, 'ёлка    ');
INSERT INTO vosteldb.shop_titles (title) VALUE ('a' 'b'), ('it''s');
