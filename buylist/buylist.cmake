target_sources(qm_core PRIVATE
  BuylistStatement.cpp BuylistStatement.h
  CatalogueKind.cpp CatalogueKind.h
  OrderNumber.cpp OrderNumber.h
)
target_sources(qm_ui PRIVATE
  BuylistPage.cpp BuylistPage.h
  CtrlAShortcut.cpp CtrlAShortcut.h
)
