 INSERT INTO t VALUES ('a;b'); -- x; y
--x INSERT INTO merchant_shopids VALUES (500, '7001');
INSERT INTO merchant_shopids VALUES (705,
--x
'7001');
INSERT INTO merchant_shopids VALUES (1) \g INSERT INTO merchant_shopids VALUES (2) \c
\! ls
\. /nonexistent/x.sql
source x.sql
charset utf8
\C latin1
SET NAMES 'utf8mb4' COLLATE utf8mb4_bin;
SET CHARACTER SET koi8r;
use `d``b`
DELIMITER $$
INSERT INTO merchant_shopids VALUES (3, ';')$$ INSERT INTO npc VALUES ((((1))), ()$$
delimiter
DELIMITER \\
delimiter ;
INSERT INTO npc (id, id, nosuch) VALUES (1, 2, 3),(1,,),();
INSERT INTO `merchant_shopids` VALUES(,);
INSERT INTO merchant_shopids VALUES (1, '7001') ON DUPLICATE KEY UPDATE npc_id = 1;
INSERT INTO npc VALUES (1) garbage here;
/*M! INSERT INTO merchant_shopids VALUES (500, '7001') */;
quit;
exit
INSERT INTO npc VALUES ('never read
