#include "data/data_services.h"

#include "data/data_tables.h"

void GxDataServices::LoadGameTables()
{
    LoadDataTables();
    SplitCGFileNames();
}

void InstallDataServices()
{
    static GxDataServices services;
    SetDataServices(&services);
}
