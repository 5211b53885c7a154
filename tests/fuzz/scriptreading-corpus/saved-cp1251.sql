SET NAMES cp1251;
-- own
#weapon  Μεχ
INSERT INTO `merchant_buylists` VALUES (2,5400,7,4,-1,-1,0,0);

