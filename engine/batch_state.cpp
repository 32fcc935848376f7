#include "engine/batch_state.h"

CBatchState* g_pConvProg = nullptr;
CConversionTask* g_pCurrentTask = nullptr;

void ReportProgress(float filePercent, float batchPercent, int bFinal)
{
    g_pConvProg->DeliverProgress(filePercent, batchPercent, bFinal != 0);
}
