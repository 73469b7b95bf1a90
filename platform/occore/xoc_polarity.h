/* Polarity of a character's marks in the character core library: the bit values 1, 2 and 4. */
#ifndef XOC_POLARITY_H
#define XOC_POLARITY_H

typedef enum xoc_charPolarity {
    xoc_charPolarityDarkOnLight = 1, /* marks darker than the background */
    xoc_charPolarityLightOnDark = 2, /* marks lighter than the background */
    xoc_charPolarityUnknown = 4      /* to be determined from the image */
} xoc_charPolarity;

#endif
