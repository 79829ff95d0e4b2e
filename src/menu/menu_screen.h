#pragma once

void runMenuFrame();
