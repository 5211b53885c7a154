 /*M!999999\- enable the sandbox mode */ 
-- MariaDB dump 10.19-11.4.2-MariaDB, for debian-linux-gnu (x86_64)
--
-- Host: localhost    Database: vosteldb
-- ------------------------------------------------------
-- Server version	11.4.2-MariaDB-1

/*!40101 SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT */;
/*!40101 SET NAMES utf8mb4 */;
/*!40014 SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS, UNIQUE_CHECKS=0 */;
/*M!100616 SET @OLD_NOTE_VERBOSITY=@@NOTE_VERBOSITY, NOTE_VERBOSITY=0 */;

LOCK TABLES `merchant_buylists` WRITE;
/*!40000 ALTER TABLE `merchant_buylists` DISABLE KEYS */;
INSERT INTO `merchant_buylists` VALUES
(57,990.50,7,1,-1,-1,0,0),
(1060,10.00,7,2,-1,-1,0,0);
/*!40000 ALTER TABLE `merchant_buylists` ENABLE KEYS */;
UNLOCK TABLES;
/*!50003 SET @saved_cs_client      = @@character_set_client */ ;
DELIMITER ;;
/*!50003 CREATE*/ /*!50017 DEFINER=`root`@`localhost`*/ /*!50003 TRIGGER npc_made AFTER INSERT ON npc FOR EACH ROW BEGIN
  INSERT INTO merchant_shopids VALUES (NEW.id, NEW.id);
END */;;
DELIMITER ;
/*!40101 SET CHARACTER_SET_CLIENT=@OLD_CHARACTER_SET_CLIENT */;
/*M!100616 SET NOTE_VERBOSITY=@OLD_NOTE_VERBOSITY */;
-- Dump completed on 2026-12-09  3:00:00
