 /*!40101 INSERT INTO merchant_shopids VALUES (5,'7001') */;
INSERT INTO merchant_shopids VALUES (6,'7001');
/*!40101 SET
NAMES utf8 */