target_sources(qm_ui PRIVATE BuylistPage.cpp BuylistPage.h)
