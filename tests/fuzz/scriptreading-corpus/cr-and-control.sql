#weapon  xINSERT INTO `merchant_buylists` VALUES (,,,1,-1,-1,0,0);-- ab
