/*
 * Other code linked before the kernel layer in the timing programs of bench/placement.sh:
 * PADDING_BYTES bytes of NOPs, never run.
 */
    .text
    .globl PlacementPadding
    .type PlacementPadding,@function
PlacementPadding:
    .fill PADDING_BYTES, 1, 0x90
    .size PlacementPadding,.-PlacementPadding

    .section .note.GNU-stack,"",@progbits
