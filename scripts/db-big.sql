-- Benchmark catalogue of @ROWS@ weapons in database @DB@ (run by `scripts/db big`).
DROP DATABASE IF EXISTS @DB@;
CREATE DATABASE @DB@ CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
USE @DB@;
CREATE TABLE weapon LIKE vosteldb.weapon;
ALTER TABLE weapon ENGINE=InnoDB;
INSERT INTO weapon (item_id, name, weaponType, bodypart, crystal_type, weight, p_dam, m_dam, price, sellable)
SELECT seq,
       CONCAT(ELT(1 + seq % 12, 'Меч', 'Клинок', 'Топор', 'Молот', 'Кинжал', 'Лук', 'Копьё',
                  'Посох', 'Сабля', 'Кистень', 'Шпага', 'Glaive'),
              ' ',
              ELT(1 + (seq DIV 12) % 10, 'рассвета', 'тьмы', 'ветра', 'стража', 'берега',
                  'охотника', 'of Dusk', 'севера', 'огня', 'камня'),
              ' ', seq),
       ELT(1 + seq % 8, 'sword', 'blunt', 'dagger', 'bow', 'pole', 'fist', 'dual', 'etc'),
       IF(seq % 3 = 0, 'lrhand', 'rhand'),
       ELT(1 + seq % 6, 'none', 'd', 'c', 'b', 'a', 's'),
       500 + seq % 1500, 5 + seq % 300, 3 + seq % 200,
       IF(seq % 17 = 0, NULL, (seq * 37) % 100000),
       IF(seq % 5 = 0, 'false', 'true')
FROM seq_1_to_@ROWS@;
GRANT SELECT ON @DB@.* TO 'reader'@'localhost';
