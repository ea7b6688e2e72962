#include "core/RaceState.h"

#include <cstdlib>

Contestant* contestants = nullptr;
Contestant* weeklyTotals = nullptr;

int contestantCount = 0;
int raceRunning = 0;
int resultsReady = 0;
int raceIsZhangai = 0;

int scoreInit = 0;
int scoreStep = 0;
std::string raceTitle;
std::string tips;
uint32_t clrStr = 0xFF000000;
uint32_t clrDigi = 0xFF000000;
int isZhangai = 0;
int width = 0;
int height = 0;

int screenWidth = 0;
int screenHeight = 0;
int outputEnabled = 0;
int outputPlaced = 0;
IntRect outputRect = {0, 0, 0, 0};

void allocateRaceTables() {
    outputPlaced = 0;
    raceRunning = 0;
    resultsReady = 0;
    contestantCount = 0;
    contestants = static_cast<Contestant*>(std::calloc(MAX_CONTESTANTS, sizeof(Contestant)));
    weeklyTotals = static_cast<Contestant*>(std::calloc(MAX_CONTESTANTS, sizeof(Contestant)));
}

void freeRaceTables() {
    std::free(contestants);
    contestants = nullptr;
    std::free(weeklyTotals);
    weeklyTotals = nullptr;
}
