#shop id  7
INSERT INTO `merchant_shopids` VALUES(7,31);

#npc  М
INSERT INTO `npc` VALUES (1,2,'a',1,'',1,'c',8,20,1,'male',0);

