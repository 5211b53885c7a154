 INSERT INTO merchant_shopids VALUES (1, '7001') /* (2)
;
/*! /* */ */;
`unclosed
