 INSERT INTO `` VALUES (1);
UPDATE `` SET a = 1;
INSERT INTO ``.`` (``) VALUES ((``));
