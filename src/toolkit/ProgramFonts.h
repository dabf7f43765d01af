#pragma once

// Makes the font families the program names in code and settings ("Arial", the settings'
// default display font; "Helvetica [Cronyx]", the message font; "Times", the charts'; "Courier
// New", the lists') take installed faces metric-compatible with them (Liberation Sans, Serif
// and Mono), whatever face a desktop's fontconfig would pick for those names: every text keeps
// the widths the windows and charts were laid out for. Called once at start, before the first
// window or chart is built; where those faces are missing, fontconfig's choice stays in effect.
void installProgramFontSubstitutions();
