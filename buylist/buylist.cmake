target_sources(qm_core PRIVATE
  BuylistStatement.cpp BuylistStatement.h
  OrderNumber.cpp OrderNumber.h
)
target_sources(qm_ui PRIVATE BuylistPage.cpp BuylistPage.h)
