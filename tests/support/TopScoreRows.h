#pragma once
// The top-score rule's one table, shared by the rule's own test and the game
// over that applies it: columns "lowest" (entry 9's score; 0 is an empty
// table), "score" and "enters".
void AddTopScoreRuleRows();
