 SET NAMES cp1251;
#npc  Торговец
INSERT INTO `npc` VALUES (7100,7001,'Торговец \'Ахмед\'',1,'Лавка',1,'Merchant',8,23,70,'male','ZantMerchant',40,10000,10000,50.00,50.00,40,43,30,21,35,25,100000,100000,10000,100000,10000,100000,1000,0,1000,0,0,0,1000,1000,0,0,0,0);

#shop id  7
INSERT INTO `merchant_shopids` VALUES(7,7100);

#weapon  Меч
INSERT INTO `merchant_buylists` VALUES (1,100,7,1,-1,-1,0,0);

#weapon  Щит
INSERT INTO `merchant_buylists` VALUES (2,100.5,7,2,-1,-1,0,0);
